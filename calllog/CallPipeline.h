#pragma once

#include "callers/CallerBook.h"
#include "calllog/CallRecorder.h"
#include "locale/DateServices.h"
#include "modem/LineGuard.h"
#include "platform/DesktopNotifications.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

class CallNotifier;
class FeedServer;

// The road of every call from the line's text to wherever calls go, without a window: the
// receive buffer, the separators the decoder writes dates and times with, the recorder
// that stores calls, and the outlets that pass completed calls on (desktop notices, the
// network feed). The window only watches its signals; a new outlet is added here.
class CallPipeline : public QObject
{
    Q_OBJECT
public:
    using ServiceMaker = std::function<std::unique_ptr<DesktopNotifications>()>;

    explicit CallPipeline(const dates::Clock &clock = dates::systemClock(),
                          QObject *parent = nullptr);
    ~CallPipeline() override;

    CallRecorder &recorder() { return *m_recorder; }
    const CallRecorder &recorder() const { return *m_recorder; }

    // The receive buffer: upper-cased line text not yet decoded.
    QString &buffer() { return m_buffer; }
    // The user's separators, as the decoder writes a call's date and time with them.
    QString &dateSeparator() { return m_dateSep; }
    QString &timeSeparator() { return m_timeSep; }

    // Stores calls in the call log; noDatabaseSupport: the ODBC layer is missing, so calls
    // wait in the spool.
    void start(bool noDatabaseSupport = false, const CallRecorder::Options &options = {});
    // Ends the call path: false when the writer hangs in the data source.
    bool finish(int budgetMs);

    // Whether the line may be read now. While the path holds all the calls it may, the text
    // stays in the port (which bounds it) and readAgain() follows once there is room.
    bool mayRead();
    // Whether text was left in the port by mayRead(); clears it. Called before the port
    // closes, as the port's text would be gone then.
    bool takeReadWaiting() { return std::exchange(m_readWaiting, false); }
    // Text the line sent: the whole of it goes to the buffer, as the decoder drops foreign
    // lines itself, so the calls do not depend on where the serial layer cut the stream.
    void receive(const QString &text);
    // Decodes the complete lines at the front of the buffer.
    void decode();

    // Passes each completed call on: a desktop notice (when enabled) and the network feed
    // (when feedAddress is not empty). A feed that cannot listen is said by feedOff().
    void startOutlets(bool notifications, const QString &feedAddress,
                      const ServiceMaker &makeService = makeDesktopNotifications);
    bool outletsStarted() const { return m_notifier != nullptr; }
    // The network feed while it listens; null otherwise.
    FeedServer *feed() const { return m_feed; }

    // Reads the user's phonebook from the call log's data source now and every few
    // seconds; region: two letters ("GB"), empty for the country of the user's locale.
    // A phonebook that cannot be read is said once by outletRemark().
    void startCallers(const QString &region, const CallerBook::Source &source = {});
    // The phonebook as calls are shown; null until startCallers().
    CallerBook *callers() const { return m_callers; }

    // Hangs up on the calls the rules say to, through the modem's commands written by
    // send; every call is marked as the rules see it, also while they hang up on nothing.
    // Uses the phonebook of startCallers(); until it has been read, no call is hung up.
    void startScreening(const ScreenRules &rules, const LineGuard::Send &send);
    const ScreenRules &screenRules() const { return m_rules; }
    // The off-hook and hang-up sequence; null until startScreening().
    LineGuard *line() const { return m_line; }

Q_SIGNALS:
    // The modem cannot hang up, or the phonebook cannot be read as a call is screened:
    // said once each, for the receive log and the tip.
    void screeningRemark(const QString &text);
    // There is room again after mayRead() said no: the line's waiting text may be read.
    void readAgain();
    // Calls not stored in time: the one-sentence message, and the receive log's lines
    // (date, message, reason, each call, how many wait).
    void callsWaiting(const QList<SpooledCall> &calls, const QString &message,
                      const QStringList &logLines);
    // No call waits any more; message says how many were saved.
    void waitingCallsSaved(const QString &message);
    // The feed could not listen; message says why.
    void feedOff(const QString &message);
    // An outlet's remark for the receive log (notifications unavailable, ...).
    void outletRemark(const QString &text);
    // The user clicked a call's desktop notice.
    void noticeActivated();

private:
    void reportWaiting(const QList<SpooledCall> &calls, bool kept, const QString &reason);
    void passOn(const QList<ReceivedCall> &calls);
    void screen(ReceivedCall &call, bool reportClosed);

    const dates::Clock &m_clock;
    CallRecorder *m_recorder = nullptr;
    QString m_buffer;
    QString m_dateSep;
    QString m_timeSep;
    // Text arrived while the path held all the calls it may.
    bool m_readWaiting = false;
    CallNotifier *m_notifier = nullptr;
    FeedServer *m_feed = nullptr;
    CallerBook *m_callers = nullptr;
    ScreenRules m_rules;
    LineGuard *m_line = nullptr;
    bool m_screening = false;
    // Calls whose verdict waits for the name the line may still send.
    QSet<quint64> m_waitingForName;
    bool m_saidUnscreened = false;
    bool m_saidUndecided = false;
};
