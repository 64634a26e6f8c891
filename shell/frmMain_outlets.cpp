// Calls passed on beyond the window once their reports have closed (desktop notices and
// the network feed, which the call path runs): what the window says about them.
#include "shell/frmMain.h"
#include "text/ControlChars.h"

#include "shell/ProgramOptions.h"

void frmMain::startCallOutlets(
    const ProgramOptions &options,
    const std::function<std::unique_ptr<DesktopNotifications>()> &makeService)
{
    startCallers(options.region);
    m_pipeline->startOutlets(options.notifications, options.feed, makeService);
}

void frmMain::startCallers(const QString &region, const CallerBook::Source &source)
{
    m_pipeline->startCallers(region, source);
    // Renaming a contact renames the calls already listed too.
    connect(m_pipeline->callers(), &CallerBook::changed, this, &frmMain::showCallToolTips);
}

void frmMain::reportFeedOff(const QString &message)
{
    // A red report about the call log stays: calls are at stake there.
    if (strTip.isEmpty() || tipKind() != Tip::LogProblem)
        ShowTip(message, Tip::Problem, false);
    AppendReceiveLog(message + QChar(ascii::CR));
}

void frmMain::showFromNotice()
{
    if (m_unloaded)
        return;
    // The window's state change applies the caption rule.
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
