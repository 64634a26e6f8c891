#include "modem/FirstStart.h"

#include "modem/DeviceAccess.h"
#include "platform/XdgFolders.h"

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
        lines << QStringLiteral("ringvane-find-modems left no report: run it in a terminal to "
                                "look for modems and see why none was found.");
        return lines;
    }
    lines << QStringLiteral("ringvane-find-modems reported:");
    QString shown = report.left(ShownReportLimit);
    if (shown.size() < report.size())
        shown += QStringLiteral("\n... (the rest is in %1)").arg(finderReportPath());
    for (const QString &line : shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << line;
    return lines;
}

} // namespace

std::optional<StartNotice> startNotice(const StartFacts &facts)
{
    if (!facts.tipEmpty || facts.modemOpen)
        return std::nullopt;
    StartNotice notice;
    if (!facts.refusedDevice.isEmpty()) {
        // What to do first: the line shows about 46 characters.
        notice.tip = isJoinableGroup(facts.refusedGroup)
            ? QStringLiteral("Join the group \"%2\" to use %1: see the receive log")
                  .arg(facts.refusedDevice, facts.refusedGroup)
            : QStringLiteral("%1 belongs to the administrator: see the receive log").arg(facts.refusedDevice);
        notice.logLines << groupAdvice(facts.refusedDevice, facts.refusedGroup);
    } else {
        notice.tip = NoModemFound;
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
    // ringvane-find-modems: "<device>[ (<stable name>)]: you may not open it. <advice>"
    static const QRegularExpression line(QStringLiteral("^(/\\S+)(?: \\([^)\\n]*\\))?: you may not open it\\."),
                                         QRegularExpression::MultilineOption);
    return line.match(report).captured(1);
}

} // namespace modem
