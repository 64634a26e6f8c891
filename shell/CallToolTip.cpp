#include "shell/CallToolTip.h"

#include "calllog/OneLine.h"

namespace {

const QString kNotYetSaved = QStringLiteral("Not yet saved in the call log");

} // namespace

QString callToolTip(const QString &name, bool waiting)
{
    if (name.isEmpty())
        return waiting ? kNotYetSaved : QString();
    QString tip = QStringLiteral("<p style='white-space:pre'>") + oneLine(name).toHtmlEscaped();
    if (waiting)
        tip += QStringLiteral("<br>") + kNotYetSaved;
    return tip + QStringLiteral("</p>");
}
