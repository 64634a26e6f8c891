// Calls passed on beyond the window once their reports have closed: desktop notices and
// the network feed for caller-ID clients.
#include "shell/frmMain.h"

#include "calllog/CallLog.h"
#include "calllog/CallNotifier.h"
#include "calllog/DayView.h"
#include "failure/Failure.h"
#include "feed/FeedServer.h"
#include "shell/ProgramOptions.h"
#include "calllog/TAPI.h"

namespace {

const QChar kCR(13);

// Today's calls for the feed's clients. Runs on the feed's own worker thread, so it has a
// connection of its own there: opened on first use, and anew after any failure.
FeedServer::TodaysCalls todaysCallsFromLog(const dates::Clock &clock)
{
    auto connection = std::make_shared<std::unique_ptr<db::Connection>>();
    return [connection, &clock]() -> std::optional<QList<Call>> {
        try {
            if (!*connection) {
                std::unique_ptr<db::Connection> opened = TAPI::newConnection();
                opened->Open(TAPI::callLogSource(), QString(), QString(), -1);
                *connection = std::move(opened);
            }
            Result<QList<Call>> calls =
                CallLog(**connection).readDay(clock.now().date(), dayview::ListCapacity);
            if (!calls)
                throw calls.failure();
            return std::move(calls).value();
        } catch (const Failure &) {
            connection->reset();
            return std::nullopt;
        }
    };
}

} // namespace

void frmMain::startCallOutlets(
    const ProgramOptions &options,
    const std::function<std::unique_ptr<DesktopNotifications>()> &makeService)
{
    if (m_notifier || m_feed)
        return;
    m_notifier = new CallNotifier(options.notifications, makeService, this);
    connect(m_notifier, &CallNotifier::activated, this, &frmMain::showFromNotice);
    connect(m_notifier, &CallNotifier::unavailable, this,
            [this](const QString &text) { AppendReceiveLog(text + kCR); });

    if (!options.feed.isEmpty()) {
        m_feed = new FeedServer(todaysCallsFromLog(m_clock), this);
        if (!m_feed->start(options.feed)) {
            const QString message = m_feed->errorString();
            delete std::exchange(m_feed, nullptr);
            // A red report about the call log stays: calls are at stake there.
            if (strTip.isEmpty() || lblTipForeColor() != 0x0000FF)
                ShowTip(message, 0x8080FF, false);
            AppendReceiveLog(message + kCR);
        }
    }

    connect(m_calls, &CallRecorder::callsCompleted, this, [this](const QList<ReceivedCall> &calls) {
        for (const ReceivedCall &call : calls) {
            m_notifier->notify(call.call);
            if (m_feed)
                m_feed->sendCall(call.call);
        }
    });
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
