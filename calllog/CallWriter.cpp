#include "calllog/CallWriter.h"

#include "platform/Database.h"
#include "failure/Failure.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>
#include <QTimer>

namespace {

QString logFileGone()
{
    return QCoreApplication::translate("CallWriter", "The call log file was deleted or replaced");
}

QList<quint64> idsOf(const QList<SpooledCall> &calls)
{
    QList<quint64> ids;
    ids.reserve(calls.size());
    for (const SpooledCall &call : calls)
        ids << call.id;
    return ids;
}

} // namespace

CallWriter::CallWriter(Settings settings) : m_settings(std::move(settings)) {}

CallWriter::~CallWriter() = default;

void CallWriter::start()
{
    m_reconnectTimer = new QTimer(this);
    m_reconnectTimer->setSingleShot(true);
    connect(m_reconnectTimer, &QTimer::timeout, this, &CallWriter::reconnect);
    m_spacingTimer = new QTimer(this);
    m_spacingTimer->setSingleShot(true);
    m_spacingTimer->setTimerType(Qt::PreciseTimer);
    connect(m_spacingTimer, &QTimer::timeout, this, &CallWriter::drain);
    m_retryMs = m_settings.firstRetryMs;
    reconnect();
}

void CallWriter::store(const QList<SpooledCall> &calls)
{
    m_queue += calls;
    scheduleDrain();
}

void CallWriter::storeFirst(const QList<SpooledCall> &calls)
{
    m_queue = calls + m_queue;
    scheduleDrain();
}

void CallWriter::finish()
{
    // What is given and can be stored at once is stored now rather than replayed later.
    m_finishingDrain = true;
    if (m_state == State::Open) {
        while (!m_queue.isEmpty() && m_state == State::Open) {
            const qsizetype before = m_queue.size();
            drain();
            if (m_queue.size() == before)
                break;
        }
    }
    m_finishing = true;
    if (m_reconnectTimer)
        m_reconnectTimer->stop();
    if (m_spacingTimer)
        m_spacingTimer->stop();
    close();
    Q_EMIT finished();
    thread()->quit();
}

void CallWriter::scheduleDrain()
{
    if (m_drainQueued || m_state != State::Open || m_finishing)
        return;
    m_drainQueued = true;
    QMetaObject::invokeMethod(this, &CallWriter::drain, Qt::QueuedConnection);
}

void CallWriter::drain()
{
    m_drainQueued = false;
    if (m_state != State::Open || m_finishing)
        return;
    if (m_queue.isEmpty()) {
        markAvailable();
        return;
    }
    // In a flood the commits are spaced out so that each takes more calls: every one costs
    // a disk sync. A call after a quiet spell goes at once.
    if (m_lastBatch.isValid() && m_lastBatch.elapsed() < m_settings.commitSpacingMs &&
        !m_finishingDrain) {
        if (!m_spacingTimer->isActive())
            m_spacingTimer->start(int(m_settings.commitSpacingMs - m_lastBatch.elapsed()));
        return;
    }
    m_lastBatch.start();
    // A call stored into a file nobody can open again is lost: a deleted or replaced
    // file counts as a connection that is gone.
    if (!logFileStillThere()) {
        lose(logFileGone(), true);
        return;
    }
    const int limit = m_logFile.isEmpty() ? m_settings.serverBatchLimit : m_settings.batchLimit;
    storeBatch(m_queue.first(qMin<qsizetype>(m_queue.size(), limit)));
    if (!m_queue.isEmpty())
        scheduleDrain();
}

namespace {

struct BatchResult
{
    QList<SpooledCall> stored;
    QList<SpooledCall> refused;
    QString refusal;
    bool tableRefused = false; // refused before any call came in, not a row of its own
    std::optional<QString> gone;
};

} // namespace

void CallWriter::storeBatch(QList<SpooledCall> batch)
{
    BatchResult result;
    // One transaction for the batch; a call the source refuses is set aside and the others
    // go without it, so a bad row never holds back the calls around it.
    std::function<bool(const QList<SpooledCall> &)> storeCalls =
        [&](const QList<SpooledCall> &calls) {
            qsizetype from = 0;
            while (from < calls.size()) {
                const QList<SpooledCall> part = calls.mid(from);
                const Attempt a = attempt(part);
                switch (a.outcome) {
                case Outcome::Stored:
                    result.stored += part;
                    return true;
                case Outcome::Gone:
                    result.gone = a.reason;
                    return false;
                case Outcome::Refused:
                    break;
                }
                if (part.size() == 1 || a.failedAt == -2) {
                    // Alone, or refused before any call came in (the table itself).
                    result.refused += part;
                    result.refusal = a.reason;
                    result.tableRefused = result.tableRefused || a.failedAt == -2;
                    return true;
                }
                if (a.failedAt < 0) {
                    // The commit refused the whole: find the culprits one call at a time.
                    for (const SpooledCall &call : part) {
                        if (!storeCalls({call}))
                            return false;
                    }
                    return true;
                }
                if (a.failedAt > 0 && !storeCalls(part.first(a.failedAt)))
                    return false;
                if (!storeCalls({part.at(a.failedAt)}))
                    return false;
                from += a.failedAt + 1;
            }
            return true;
        };
    storeCalls(batch);

    // The batch is the head of the queue; what was neither stored nor refused stays there.
    QSet<quint64> done;
    for (const SpooledCall &call : result.stored)
        done.insert(call.id);
    for (const SpooledCall &call : result.refused)
        done.insert(call.id);
    QList<SpooledCall> rest;
    for (const SpooledCall &call : std::as_const(batch)) {
        if (!done.contains(call.id))
            rest << call;
    }
    m_queue = rest + m_queue.mid(batch.size());

    if (!result.stored.isEmpty()) {
        m_retryMs = m_settings.firstRetryMs;
        m_refusedAfterOpen = false;
        markAvailable();
        Q_EMIT stored(idsOf(result.stored));
    }
    if (!result.refused.isEmpty()) {
        Q_EMIT refused(idsOf(result.refused), result.refusal);
        if (result.tableRefused && result.stored.isEmpty() && !result.gone) {
            // The table refused every call: perhaps the connection is at fault, so it is
            // opened anew. Refused again after a good open, the failure is real and said once.
            m_queue = result.refused + m_queue;
            if (m_refusedAfterOpen)
                markUnavailable(result.refusal);
            m_refusedAfterOpen = true;
            lose(result.refusal, false);
            return;
        }
        // Rows the source will not take as they are (a narrower column, a constraint, a
        // trigger): set aside so that they hold up neither the other calls nor the log,
        // and tried again only on a new connection, when the table may have changed.
        m_held += result.refused;
    }
    if (result.gone)
        lose(*result.gone, true);
}

CallWriter::Attempt CallWriter::attempt(const QList<SpooledCall> &calls)
{
    db::Connection &connection = *m_connection;
    auto failed = [](const Failure &failure, qsizetype at) {
        const bool gone = db::failureKind(failure) == db::FailureKind::ConnectionGone;
        return Attempt{gone ? Outcome::Gone : Outcome::Refused, at, failure.description()};
    };

    // A server may take a commit and never say so: what was there before tells later.
    RowCounts before;
    if (m_logFile.isEmpty()) {
        try {
            before = countRows(calls);
        } catch (const Failure &failure) {
            return failed(failure, -2);
        }
    }
    try {
        connection.BeginTrans();
    } catch (const Failure &failure) {
        return failed(failure, -2);
    }

    // The rows go in a few statements of many rows each, every value bound; CallLog knows
    // the table's columns (read once per connection). A table that cannot be read refuses
    // before any call came in.
    if (const Result<CallLog::Columns> columns = m_log->columns(); !columns) {
        try {
            connection.RollbackTrans();
        } catch (const Failure &) {
            // Only the table's failure is worth telling; a connection that cannot roll back
            // is found gone by the next step.
        }
        return failed(columns.failure(), -2);
    }
    for (qsizetype from = 0; from < calls.size(); from += CallLog::RowsPerStatement) {
        const qsizetype n = qMin(CallLog::RowsPerStatement, calls.size() - from);
        QList<Call> part;
        part.reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            part << calls.at(from + i).call;
        if (const Result<void> appended = m_log->append(part); !appended) {
            try {
                connection.RollbackTrans();
            } catch (const Failure &) {
                // The failure that counts is the append's; a connection that cannot roll
                // back is found gone by the next step.
            }
            // Several rows in one statement name no culprit when refused: the commit's case.
            return failed(appended.failure(), n == 1 ? from : -1);
        }
    }
    try {
        connection.CommitTrans();
    } catch (const Failure &failure) {
        const Attempt a = failed(failure, -1);
        if (a.outcome == Outcome::Gone && m_logFile.isEmpty())
            m_inDoubt = InDoubt{calls, before};
        try {
            connection.RollbackTrans();
        } catch (const Failure &) {
            // The commit's failure is the one reported; the calls stay queued either way.
        }
        return a;
    }
    // Committed into a file that was deleted or replaced meanwhile: nobody will see them.
    if (!logFileStillThere())
        return {Outcome::Gone, -1, logFileGone()};
    return {};
}

RowCounts CallWriter::countRows(const QList<SpooledCall> &calls)
{
    QList<Call> rows;
    rows.reserve(calls.size());
    for (const SpooledCall &call : calls)
        rows << call.call;
    Result<RowCounts> counts = m_log->countRows(rows);
    if (!counts)
        throw counts.failure();
    return std::move(counts).value();
}

bool CallWriter::settleDoubt()
{
    if (!m_inDoubt)
        return true;
    RowCounts after;
    try {
        after = countRows(m_inDoubt->calls);
    } catch (const Failure &failure) {
        lose(failure.description(), true);
        return false;
    }
    const QList<quint64> found = storedDespiteDoubt(m_inDoubt->calls, m_inDoubt->before, after);
    m_inDoubt.reset();
    if (found.isEmpty())
        return true;
    const QSet<quint64> done(found.cbegin(), found.cend());
    m_queue.removeIf([&done](const SpooledCall &call) { return done.contains(call.id); });
    Q_EMIT stored(found);
    return true;
}

Result<void> CallWriter::open()
{
    close();
    auto connection = std::make_unique<db::Connection>();
    if (Result<void> opened = tryResult([&] {
            connection->Open(m_settings.connectionString, QString(), QString(), -1);
        });
        !opened)
        return opened;
    m_logFile = db::sqliteDatabaseFile(m_settings.connectionString);
    m_logFileIdentity = m_logFile.isEmpty() ? std::nullopt : fileIdentity(m_logFile);
    m_connection = std::move(connection);
    m_log.emplace(*m_connection);
    return {};
}

void CallWriter::close()
{
    m_log.reset();
    m_connection.reset();
    m_logFile.clear();
    m_logFileIdentity.reset();
    if (m_state == State::Open)
        m_state = State::Closed;
}

bool CallWriter::logFileStillThere() const
{
    if (m_logFile.isEmpty())
        return true;
    return m_logFileIdentity && fileIdentity(m_logFile) == m_logFileIdentity;
}

void CallWriter::lose(const QString &reason, bool sayUnavailable)
{
    close();
    if (sayUnavailable)
        markUnavailable(reason);
    m_state = State::Retrying;
    m_reconnectTimer->start(m_retryMs);
    m_retryMs = qMin(m_retryMs * 2, m_settings.longestRetryMs);
}

void CallWriter::reconnect()
{
    if (m_finishing)
        return;
    const Result<void> opened = open();
    if (opened) {
        m_state = State::Open;
        retryHeld();
        if (settleDoubt())
            scheduleDrain();
        return;
    }
    lose(opened.errorString(), true);
}

void CallWriter::retryHeld()
{
    if (m_held.isEmpty())
        return;
    m_queue = m_held + m_queue;
    m_held.clear();
    scheduleDrain();
}

void CallWriter::markAvailable()
{
    if (m_said && !m_unavailable)
        return;
    m_said = true;
    m_unavailable = false;
    Q_EMIT available();
}

void CallWriter::markUnavailable(const QString &reason)
{
    if (m_said && m_unavailable)
        return;
    m_said = true;
    m_unavailable = true;
    Q_EMIT unavailable(reason);
}
