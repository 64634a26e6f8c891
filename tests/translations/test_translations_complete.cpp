#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct Message
{
    QString context;
    QString source;
    bool finished = false;
};

QList<Message> readTs(const QString &path)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            message = {context, {}, false};
        } else if (xml.name() == u"source") {
            message.source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value(u"type"_qs).toString();
            // Plural forms are elements of their own: finished when none is empty.
            QString text;
            bool allForms = true;
            bool forms = false;
            while (!(xml.isEndElement() && xml.name() == u"translation") && !xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == u"numerusform")
                    forms = true, allForms = !xml.readElementText().isEmpty() && allForms;
                else if (xml.isCharacters())
                    text += xml.text();
            }
            message.finished = type.isEmpty() && (forms ? allForms : !text.trimmed().isEmpty());
            messages.append(message);
        }
    }
    return messages;
}

TEST(TranslationsComplete, EveryTextHasAFinishedTranslation)
{
    QTemporaryDir dir;
    const QString fresh = dir.path() + u"/fresh.ts"_qs;
    QStringList arguments;
    for (const QString &folder : QStringLiteral(RINGVANE_TRANSLATED_FOLDERS).split(u','))
        arguments << QStringLiteral(RINGVANE_SOURCE_DIR "/") + folder;
    arguments << u"-extensions"_qs << u"cpp,h"_qs << u"-locations"_qs << u"none"_qs << u"-ts"_qs
              << fresh;
    QProcess lupdate;
    lupdate.start(QStringLiteral(RINGVANE_LUPDATE), arguments);
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const QList<Message> sources = readTs(fresh);
    ASSERT_FALSE(sources.isEmpty());

    for (const QString &ts : QStringLiteral(RINGVANE_TS_FILES).split(u',')) {
        QSet<QString> finished;
        for (const Message &m : readTs(ts)) {
            if (m.finished)
                finished.insert(m.context + u'\x1f' + m.source);
        }
        int checked = 0;
        for (const Message &m : sources) {
            ++checked;
            EXPECT_TRUE(finished.contains(m.context + u'\x1f' + m.source))
                << ts.toStdString() << ": no finished translation in " << m.context.toStdString()
                << " for \"" << m.source.left(80).toStdString() << "\"";
        }
        EXPECT_GT(checked, 0) << ts.toStdString();
    }
}

} // namespace
