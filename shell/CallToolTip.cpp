#include "shell/CallToolTip.h"

#include "calllog/OneLine.h"

#include <QCoreApplication>
#include <QStringList>

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
    if (caller.blocked && unwanted.isEmpty())
        lines << QCoreApplication::translate("CallToolTip", "Hung up");
    else if (caller.blocked)
        lines << QCoreApplication::translate("CallToolTip", "Hung up: %1").arg(unwanted);
    else if (!unwanted.isEmpty())
        lines << QCoreApplication::translate("CallToolTip", "Not hung up, but unwanted: %1")
                     .arg(unwanted);
    const QString notYetSaved =
        QCoreApplication::translate("CallToolTip", "Not yet saved in the call log");
    if (lines.isEmpty())
        return waiting ? notYetSaved : QString();
    QString tip = QStringLiteral("<p style='white-space:pre'>");
    for (qsizetype i = 0; i < lines.size(); ++i)
        tip += (i == 0 ? QString() : QStringLiteral("<br>")) + lines.at(i).toHtmlEscaped();
    if (waiting)
        tip += QStringLiteral("<br>") + notYetSaved.toHtmlEscaped();
    return tip + QStringLiteral("</p>");
}
