// Start-up and shutdown.
#include "shell/frmMain.h"
#include "text/ControlChars.h"

#include "platform/Comm.h"
#include "failure/Failure.h"
#include "locale/LocaleSupport.h"
#include "calllog/TAPI.h"
#include "platform/gui/WindowSystem.h"
#include "shell/start.h"

#include <QListWidget>

namespace {

constexpr std::int32_t LOCALE_SDATE = 0x1D;
constexpr std::int32_t LOCALE_STIME = 0x1E;

} // namespace

void frmMain::Form_Load()
{
    windowsystem::SetWindowPos(this, windowsystem::HWND_TOPMOST, 0, 0, 0, 0,
                               windowsystem::SWP_NOSIZE | windowsystem::SWP_NOMOVE);
    TAPI::InitParityLetters();
    CenterTip(strTip, 48);
    m_splash = new start;
    m_splash->Form_Load();
    show();
    windowsystem::sendToBack(this);
    windowsystem::processPendingMessages();
    if (m_unloaded)
        return endLoadEarly();
    ShowTip(tr("System initialization..."), Tip::Good, false);
    windowsystem::processPendingMessages();
    if (m_unloaded)
        return endLoadEarly();

    // From here every failure is trapped: the step is skipped and start-up goes on.
    FailureTrap trap;
    trap.run([] { TAPI::connection().setCursorLocation(db::adUseClient); });
    trap.run([] { TAPI::connection().Open(TAPI::callLogSource(), QString(), QString(), -1); });

    const int openFailure = trap.lastNumber();
    if (openFailure == ErrorNumber::ProviderNotFound) {
        const QString noSupport = tr("Could not acquire the database support from your system");
        m_callLogReport = noSupport;
        m_callLogReportKind = Tip::LogProblem;
        trap.run([&] { ShowTip(noSupport, Tip::LogProblem, false); });
        trap.run([&] { AppendReceiveLog(noSupport + QChar(ascii::CR)); });
        trap.run([] { TAPI::releaseConnection(); });
    } else if (openFailure != 0) {
        // Any other failure used to clear the tip as if the log were open, so calls went
        // unsaved without a word; say so instead.
        m_callLogReport = tr("The call log could not be opened: calls are kept until it is back");
        m_callLogReportKind = Tip::LogProblem;
        const QString driverWords = trap.lastDescription();
        trap.run([&] { ReportCallLogProblem(m_callLogReport, driverWords); });
        m_callLogReportedDown = true;
    } else {
        trap.run([this] { ShowTip(QString(), Tip::Good, false); });
    }
    // Calls are stored by a writer of their own, which keeps trying a log that did not
    // open; without database support they wait in the spool.
    trap.run([&] { startCallLog(openFailure == ErrorNumber::ProviderNotFound); });

    trap.run([this] { strDateSep = GetLocaleString(LOCALE_SDATE); });
    trap.run([this] { strTimeSep = GetLocaleString(LOCALE_STIME); });
    trap.run([this] { FillModemList(); });
    trap.run([this] { brToday_Click(); });

    // The modem selection clears the tip line when the modem passes its checks, which
    // would wipe the call-log report before anyone could read it.
    if (!m_callLogReport.isEmpty() && TAPI::connection().State() == db::adStateClosed)
        trap.run([this] { ShowTip(m_callLogReport, m_callLogReportKind, false); });

    // Out of the tab order, yet a click still gives the list the keyboard for its arrows.
    trap.run([this] { lstCID->setFocusPolicy(Qt::ClickFocus); });
    trap.run([this] {
        delete m_splash;
        m_splash = nullptr;
    });
}

void frmMain::endLoadEarly()
{
    // Closed during an event pass: nothing more is opened, and no window stays behind.
    delete m_splash;
    m_splash = nullptr;
}

void frmMain::btnClose_Click()
{
    m_unloaded = true;
    stopWatchingForModem();
    takeHeldText();
    try {
        comm->setPortOpen(false);
    } catch (const Failure &) {
    }
    close();
    Q_EMIT unloaded();
}
