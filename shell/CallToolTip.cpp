#include "shell/CallToolTip.h"

#include "calllog/OneLine.h"

#include <QStringList>

namespace {

const QString kNotYetSaved = QStringLiteral("Not yet saved in the call log");

} // namespace

QString callToolTip(const QString &name, bool waiting, const CallerBook::Caller &caller)
{
    QStringList lines;
    const QString lineName = oneLine(name);
    if (!caller.contact.isEmpty()) {
        lines << oneLine(caller.contact);
        if (!lineName.isEmpty() && lineName.compare(lines.first(), Qt::CaseInsensitive) != 0)
            lines << lineName;
    } else if (!lineName.isEmpty()) {
        lines << lineName;
    }
    // The number is said once there is more than the line's name to say about the caller.
    if (!caller.contact.isEmpty() || !caller.place.isEmpty()) {
        if (!caller.number.isEmpty())
            lines << oneLine(caller.number);
        if (!caller.place.isEmpty())
            lines << oneLine(caller.place);
    }
    const QString unwanted = oneLine(caller.unwanted);
    if (caller.blocked)
        lines << (unwanted.isEmpty() ? QStringLiteral("Hung up")
                                     : QStringLiteral("Hung up: %1").arg(unwanted));
    else if (!unwanted.isEmpty())
        lines << QStringLiteral("Not hung up, but unwanted: %1").arg(unwanted);
    if (lines.isEmpty())
        return waiting ? kNotYetSaved : QString();
    QString tip = QStringLiteral("<p style='white-space:pre'>");
    for (qsizetype i = 0; i < lines.size(); ++i)
        tip += (i == 0 ? QString() : QStringLiteral("<br>")) + lines.at(i).toHtmlEscaped();
    if (waiting)
        tip += QStringLiteral("<br>") + kNotYetSaved;
    return tip + QStringLiteral("</p>");
}
