// Calls passed on beyond the window once their reports have closed (desktop notices and
// the network feed, which the call path runs): what the window says about them.
#include "shell/frmMain.h"
#include "text/ControlChars.h"

#include "shell/ProgramOptions.h"
#include "failure/Failure.h"
#include "platform/Comm.h"

void frmMain::startCallOutlets(
    const ProgramOptions &options,
    const std::function<std::unique_ptr<DesktopNotifications>()> &makeService)
{
    startCallers(options.region);
    startScreening(options.blocking);
    m_pipeline->startOutlets(options.notifications, options.feed, makeService);
}

void frmMain::startScreening(const ScreenRules &rules)
{
    const bool first = m_pipeline->line() == nullptr;
    // Written at once, without the pause and drain of the modem's set-up commands: the
    // caller is to be cut off before the second ring.
    m_pipeline->startScreening(rules, [this](const QString &command) {
        if (!comm || !comm->PortOpen())
            return false;
        FailureTrap trap;
        return trap.run([&] { comm->setOutput(command); });
    });
    m_pipeline->line()->setCommands(m_hangUpCommand, strCIDCommand);
    if (first) {
        connect(m_pipeline, &CallPipeline::screeningRemark, this, [this](const QString &text) {
            if (strTip.isEmpty() || tipKind() != Tip::LogProblem)
                ShowTip(text, Tip::Problem, false);
            AppendReceiveLog(text + QChar(ascii::CR));
        });
    }
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
