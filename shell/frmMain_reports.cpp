// How the window tells the user about a failure: a coloured tip and lines in the receive
// log, never a message box.
#include "shell/frmMain.h"

#include "locale/LocaleDates.h"

namespace {

const QChar kCR(13);

} // namespace

void frmMain::ReportModemProblem(const QString &message, const QString &detail,
                                 const QStringList &extraLines)
{
    ShowTip(message, Tip::Problem, false);
    AppendReceiveLog(dates::formatGeneralDate(m_clock.now()) + kCR);
    AppendReceiveLog(strTip + kCR);
    AppendReceiveLog(detail + kCR);
    for (const QString &line : extraLines)
        AppendReceiveLog(line + kCR);
}

void frmMain::ReportCallLogProblem(const QString &message, const QString &detail)
{
    ShowTip(message, Tip::LogProblem, false);
    AppendReceiveLog(dates::formatGeneralDate(m_clock.now()) + kCR);
    AppendReceiveLog(message + kCR);
    if (!detail.isEmpty())
        AppendReceiveLog(detail + kCR);
}
