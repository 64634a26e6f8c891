// How the window tells the user about a failure: a coloured tip and lines in the receive
// log, never a message box.
#include "shell/frmMain.h"
#include "text/ControlChars.h"

#include "locale/LocaleDates.h"

namespace {


} // namespace

void frmMain::ReportModemProblem(const QString &message, const QString &detail,
                                 const QStringList &extraLines)
{
    ShowTip(message, Tip::Problem, false);
    AppendReceiveLog(dates::formatGeneralDate(m_clock.now()) + QChar(ascii::CR));
    AppendReceiveLog(strTip + QChar(ascii::CR));
    AppendReceiveLog(detail + QChar(ascii::CR));
    for (const QString &line : extraLines)
        AppendReceiveLog(line + QChar(ascii::CR));
}

void frmMain::ReportCallLogProblem(const QString &message, const QString &detail)
{
    ShowTip(message, Tip::LogProblem, false);
    AppendReceiveLog(dates::formatGeneralDate(m_clock.now()) + QChar(ascii::CR));
    AppendReceiveLog(message + QChar(ascii::CR));
    if (!detail.isEmpty())
        AppendReceiveLog(detail + QChar(ascii::CR));
}
