#include "CallToolTip.h"

namespace {

const QString kNotYetSaved = QStringLiteral("Not yet saved in the call log");

} // namespace

QString callToolTip(const QString &name, bool waiting)
{
    if (name.isEmpty())
        return waiting ? kNotYetSaved : QString();
    // Line breaks and other control characters would break the tooltip's one line.
    QString shown = name;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    QString tip = QStringLiteral("<p style='white-space:pre'>") + shown.toHtmlEscaped();
    if (waiting)
        tip += QStringLiteral("<br>") + kNotYetSaved;
    return tip + QStringLiteral("</p>");
}
