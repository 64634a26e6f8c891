#pragma once

#include "calllog/Call.h"
#include "calllog/CallSpool.h"
#include "calllog/CallWriter.h"
#include "calllog/CallerIdDecoder.h"
#include "locale/DateServices.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <deque>
#include <functional>
#include <map>
#include <memory>

class QTimer;

// A call as it leaves the decoder: its number in this run, its texts as listed and shown
// (the user's separators), and the call itself as it is stored, spooled and passed on.
struct ReceivedCall
{
    quint64 id = 0;
    DecodedCall shown;
    Call call;
    // Why the call is one the user does not want ("on the block list (0800*)"), empty when
    // it is not; call.blocked says whether the line was hung up on it.
    QString unwanted;
};

// The road of every call from the modem's text to the call log, without a window: the
// decoder, the writer that stores calls on its own thread, and the spool that keeps on disk
// the calls the log has not taken within a few seconds, until it takes them. What happens
// to the calls is told through signals; the window lists and reports, later listeners
// notify. A call is "decoded" when its number line came and "completed" when its report
// closed, with the caller's name when the report had one; only completed calls go to the
// log, the spool and whoever passes calls on.
class CallRecorder : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        CallWriter::Settings writer;
        // Where the spool lives and its name; empty: the user's state folder, and a name
        // from the ODBC file and the data source.
        QString spoolFolder;
        QString spoolKey;
        // A call not committed this long after its report ended is kept in the spool.
        int waitMs = 5000;
        // How often a spool that refused calls is tried again.
        int spoolRetryMs = 5000;
        // Calls of this run wait at most this long for the spool's first reading, so that
        // an earlier run's calls are stored before them; a spool slower to read holds them
        // back no longer (its calls then follow).
        int spoolReadGraceMs = 1000;
        // Calls of this run held at most before the line is left unread (the port then
        // holds the text); those of earlier runs are bounded by what they left.
        qsizetype memoryLimit = 10000;
    };

    explicit CallRecorder(const dates::Clock &clock = dates::systemClock(),
                          QObject *parent = nullptr);
    ~CallRecorder() override;

    // Stores calls in the call log, after the calls that waited since an earlier run.
    void start(const Options &options);
    // There is no database support: every call goes into the spool at once.
    void startWithoutCallLog(const Options &options);
    // Stops storing; whatever was not committed is put into the spool. False when the
    // writer did not end within the time (it hangs in the data source): the caller ends the
    // process without waiting for it.
    bool finish(int budgetMs);

    // Decodes the complete lines at the front of the buffer (upper-cased serial text); the
    // calls found are decoded, then completed.
    void decode(QString &buffer, const QString &dateSep, const QString &timeSep);

    // Looks at each call as it is decoded (reportClosed false) and again as its report
    // closes, before anyone else sees it then: it may mark the call (unwanted, and
    // call.blocked once the line was hung up on it).
    using Screen = std::function<void(ReceivedCall &call, bool reportClosed)>;
    void setScreen(Screen screen) { m_screen = std::move(screen); }

    bool started() const { return m_started; }
    // So many calls are held that the line should not be read for now; roomAgain() follows.
    bool full() const;
    // Calls were handed on and are neither stored nor reported as waiting yet.
    bool busy() const;
    // Calls not stored in time and not stored yet (those of earlier runs included).
    qsizetype waitingCount() const { return m_waiting; }
    // Whether the writer last said the log cannot be reached, and why.
    bool callLogDown() const { return m_down; }
    QString callLogDownReason() const { return m_downReason; }

Q_SIGNALS:
    // The calls of one decoding pass, in order.
    void callsDecoded(const QList<ReceivedCall> &calls);
    // Their reports closed: the calls, with their names, go to the log and may be passed on.
    void callsCompleted(const QList<ReceivedCall> &calls);
    // Committed in time.
    void callsStored(const QList<quint64> &ids);
    // Not committed in time (or refused by the data source): kept in the spool, or, when the
    // spool cannot be written, held in memory only (kept false, reason the spool's).
    void callsWaiting(const QList<SpooledCall> &calls, bool kept, const QString &reason);
    // Committed after they had begun to wait.
    void callsSavedLater(const QList<quint64> &ids);
    // No call waits any more: count calls were saved since the last time none waited.
    void waitingCallsSaved(qsizetype count);
    // Calls an earlier run left in the spool, about to be stored first; notes: one line per
    // thing the spool's opening passed over (a damaged record, a file left alone), or why
    // it could not be opened.
    void earlierCallsWaiting(qsizetype count, const QStringList &notes);
    void callLogGone(const QString &reason);
    void callLogBack();
    void roomAgain();

private:
    enum class State { InFlight, Spooling, Kept, Unsafe };
    struct Entry
    {
        Call call;
        qint64 completedMs = 0;
        State state = State::InFlight;
        bool earlierRun = false; // read from the spool at the start
    };

    void startThreads(const Options &options, bool withLog);
    // The decoder's calls: those shown numbered and decoded, those whose reports closed
    // completed.
    void take(const QList<DecodedCall> &decoded);
    void show(const QList<DecodedCall> &decoded);
    // A report stays open a moment after its number line; this closes it then.
    void timeOpenReport();
    void complete(const QList<ReceivedCall> &calls);
    void handOn(const QList<SpooledCall> &calls);
    void onSpoolOpened(const QList<SpooledCall> &pending, const QStringList &notes,
                       quint64 nextFreeId);
    void onStored(const QList<quint64> &ids);
    void onUnavailable(const QString &reason);
    void onAvailable();
    void onDeadline();
    void armDeadline();
    void keep(const QList<quint64> &ids, const QString &reason);
    void onAppended(const QList<quint64> &ids, const Result<void> &appended,
                    const QString &reason);
    void retryUnsafe();
    void markStoredInSpool(const QList<quint64> &ids);
    void forget(std::map<quint64, Entry>::iterator it);
    void checkRoom();
    // Runs on the spool's thread: the spool, opened first when it is not yet.
    Result<CallSpool *> spool();
    void runInSpoolThread(std::function<void()> work);
    void finalSpooling();
    // The spool's thread is still busy (reading a huge spool): the calls not yet safe go
    // into a spool file of their own.
    void spoolBeside();

    const dates::Clock &m_clock;
    CallerIdDecoder m_decoder;
    Screen m_screen;
    Options m_options;
    bool m_started = false;
    bool m_finished = false;
    bool m_cleanEnd = true;
    quint64 m_nextId = 1;

    // Every call not yet stored, by id (ids grow, so this is arrival order).
    std::map<quint64, Entry> m_entries;
    // Calls in flight in order of their deadlines.
    std::deque<quint64> m_fresh;
    // Decoded, their reports not yet closed (the open report's call, at most a few).
    std::deque<ReceivedCall> m_open;
    // Completed before the spool was read: they go to the log after its calls.
    QList<SpooledCall> m_deferred;
    bool m_spoolReady = false;
    bool m_spoolGraceOver = false;
    QTimer *m_spoolGrace = nullptr;
    qsizetype m_waiting = 0;
    qsizetype m_inFlight = 0;
    qsizetype m_spooling = 0;
    qsizetype m_savedSinceWaiting = 0;
    qsizetype m_fromEarlierRuns = 0;
    bool m_wasFull = false;
    bool m_down = false;
    QString m_downReason;
    QElapsedTimer m_monotonic;
    QTimer *m_deadlineTimer = nullptr;
    QTimer *m_reportHold = nullptr;
    quint64 m_timedReport = 0;
    QTimer *m_spoolRetryTimer = nullptr;
    QString m_heldBecause; // why the spool last refused calls; empty once it took them

    QThread m_writerThread;
    CallWriter *m_writer = nullptr;
    QThread m_spoolThread;
    QObject m_spoolContext; // lives in the spool's thread
    // Touched on the spool's thread only (and after it ended, by finish).
    std::unique_ptr<CallSpool> m_spool;
};
