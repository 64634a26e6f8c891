#pragma once

#include "calllog/CallLog.h"
#include "calllog/CallSpool.h"
#include "platform/FileIdentity.h"
#include "calllog/TAPI.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

#include <memory>
#include <optional>

class QTimer;

// Stores calls in the call log from a thread of its own over a connection of its own, so a
// data source that is slow, locked, restarting or gone never holds up the window. Calls go
// in the order given, those given together in one transaction; the ones not yet stored
// stay here, and after a failure the connection is opened anew and the store tried again,
// 1 s after the failure, doubling up to 30 s, for as long as the writer runs.
class CallWriter : public QObject
{
    Q_OBJECT
public:
    struct Settings
    {
        QString connectionString = TAPI::callLogSource();
        int firstRetryMs = 1000;
        int longestRetryMs = 30000;
        // Calls per transaction at most; a flood goes in transactions this big. A log on a
        // server takes fewer, as each is counted first (see storedDespiteDoubt).
        int batchLimit = 2000;
        int serverBatchLimit = 500;
        // The least time between the starts of two commits while calls keep coming.
        int commitSpacingMs = 10;
    };

    explicit CallWriter(Settings settings);
    ~CallWriter() override;

public Q_SLOTS:
    // Opens the connection (again and again until it opens) and stores what is given.
    void start();
    // After every call given before.
    void store(const QList<SpooledCall> &calls);
    // Before every call given so far: calls that have waited since an earlier run.
    void storeFirst(const QList<SpooledCall> &calls);
    // Closes the connection and ends the writer's thread; calls not stored stay unstored.
    void finish();

Q_SIGNALS:
    // Committed.
    void stored(const QList<quint64> &ids);
    // Refused by the data source even when stored alone; tried again at the next
    // connection, when the table may have changed.
    void refused(const QList<quint64> &ids, const QString &reason);
    // The log cannot be reached, or refuses every call even after opening it anew: said
    // once, then the writer keeps trying.
    void unavailable(const QString &reason);
    // Calls can be stored: the first open, or again after unavailable().
    void available();
    void finished();

private:
    enum class Outcome { Stored, Refused, Gone };
    // A commit that went unanswered, and the rows there were before it.
    struct InDoubt
    {
        QList<SpooledCall> calls;
        RowCounts before;
    };
    struct Attempt
    {
        Outcome outcome = Outcome::Stored;
        qsizetype failedAt = -1; // the call the failure came with, -1 for the commit
        QString reason;
    };

    void scheduleDrain();
    void drain();
    void storeBatch(QList<SpooledCall> batch);
    Attempt attempt(const QList<SpooledCall> &calls);
    Result<void> open();
    RowCounts countRows(const QList<SpooledCall> &calls);
    // After a reconnect: which calls of an unanswered commit are in the log after all.
    bool settleDoubt();
    void close();
    // The connection is no use any more: opened anew after the back-off.
    void lose(const QString &reason, bool sayUnavailable);
    void reconnect();
    void retryHeld();
    bool logFileStillThere() const;
    void markAvailable();
    void markUnavailable(const QString &reason);

    Settings m_settings;
    std::unique_ptr<db::Connection> m_connection;
    // The SQLite file behind the connection, when there is one, as it was at the open.
    QString m_logFile;
    std::optional<FileIdentity> m_logFileIdentity;
    std::optional<InDoubt> m_inDoubt;
    std::optional<CallLog> m_log; // over m_connection while it is open

    QList<SpooledCall> m_queue;
    // Refused row by row: tried again at the next connection only.
    QList<SpooledCall> m_held;
    bool m_drainQueued = false;
    bool m_finishing = false;

    enum class State { Closed, Open, Retrying };
    State m_state = State::Closed;
    bool m_said = false;        // available() or unavailable() said at least once
    bool m_unavailable = false; // unavailable() said last
    // A good open was followed by refusals of every call: the next such is no accident.
    bool m_refusedAfterOpen = false;
    int m_retryMs = 0;
    QTimer *m_reconnectTimer = nullptr;
    QTimer *m_spacingTimer = nullptr;
    QElapsedTimer m_lastBatch;
    bool m_finishingDrain = false;
};
