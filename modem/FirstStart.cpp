#include "modem/FirstStart.h"

#include "modem/DeviceAccess.h"
#include "platform/XdgFolders.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

namespace modem {

namespace {

// The receive log keeps 6400 characters; the report must leave room for the lines before it.
constexpr qsizetype ShownReportLimit = 3000;

bool privateToUser(const QFileInfo &info)
{
    return !info.isSymLink() && info.ownerId() == ::getuid()
           && !(info.permissions() & (QFile::WriteGroup | QFile::WriteOther));
}

QStringList reportLines(const QString &report)
{
    QStringList lines;
    if (report.trimmed().isEmpty()) {
        lines << QCoreApplication::translate("FirstStart",
                                             "ringvane-find-modems left no report: run it in a "
                                             "terminal to look for modems and see why none was "
                                             "found.");
        return lines;
    }
    lines << QCoreApplication::translate("FirstStart", "ringvane-find-modems reported:");
    QString shown = report.left(ShownReportLimit);
    if (shown.size() < report.size())
        shown +=
            QLatin1Char('\n') + QCoreApplication::translate("FirstStart", "... (the rest is in %1)")
                                    .arg(finderReportPath());
    for (const QString &line : shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << line;
    return lines;
}

} // namespace

QString noModemFound()
{
    return QCoreApplication::translate(
        "FirstStart",
        "No caller-ID modem found: see Help, or run ringvane-find-modems in a terminal");
}

std::optional<StartNotice> startNotice(const StartFacts &facts)
{
    if (!facts.tipEmpty || facts.modemOpen)
        return std::nullopt;
    StartNotice notice;
    if (!facts.refusedDevice.isEmpty()) {
        // What to do first: the line shows about 46 characters.
        notice.tip = isJoinableGroup(facts.refusedGroup)
                         ? QCoreApplication::translate(
                               "FirstStart", "Join the group \"%2\" to use %1: see the receive log")
                               .arg(facts.refusedDevice, facts.refusedGroup)
                         : QCoreApplication::translate(
                               "FirstStart", "%1 belongs to the administrator: see the receive log")
                               .arg(facts.refusedDevice);
        notice.logLines << groupAdvice(facts.refusedDevice, facts.refusedGroup);
    } else {
        notice.tip = noModemFound();
    }
    notice.logLines << reportLines(facts.finderReport);
    return notice;
}

QString finderReportPath()
{
    return xdgBaseFolder("XDG_STATE_HOME", ".local/state") + QStringLiteral("/ringvane/find-modems.txt");
}

QString readFinderReport(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !privateToUser(info) || !privateToUser(QFileInfo(info.absolutePath())))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.read(ReportReadLimit));
    QString plain;
    plain.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\t')
            plain += c;
        else if (u < 0x20 || u == 0x7f)
            plain += QLatin1Char('^') + QChar(u ^ 0x40);
        else if (c.category() == QChar::Other_Format || (u >= 0x80 && u < 0xa0))
            plain += QChar(0xfffd); // bidirectional and other invisible controls
        else
            plain += c;
    }
    return plain;
}

QString refusedDeviceIn(const QString &report)
{
    // ringvane-find-modems: "<device>[ (<stable name>)]: you may not open it. <advice>", in
    // the language it was run in: the launcher runs it just before the program, so that is
    // the program's language, or English.
    const QString device = QStringLiteral("(/\\S+)(?: \\([^)\\n]*\\))?");
    for (const QString &sentence :
         {QString::fromUtf8(MayNotOpenLine),
          QCoreApplication::translate("ringvane-find-modems", MayNotOpenLine)}) {
        const QString before = sentence.left(sentence.indexOf(QLatin1String("%2"))).trimmed();
        if (!before.startsWith(QLatin1String("%1")) || before.size() < 3)
            continue;
        const QRegularExpression line(QLatin1Char('^') + device +
                                          QRegularExpression::escape(before.mid(2)),
                                      QRegularExpression::MultilineOption);
        if (const QString found = line.match(report).captured(1); !found.isEmpty())
            return found;
    }
    return {};
}

} // namespace modem
