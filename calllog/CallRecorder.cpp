#include "calllog/CallRecorder.h"

#include "platform/Database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QTimer>

#include <utility>

namespace {

constexpr qint64 kKeepTogetherMs = 250;

// One spool per data source: the ODBC file that defines it and its name.
QString defaultSpoolKey(const QString &connectionString)
{
    const QString dsn = db::dataSourceName(connectionString);
    const db::DataSourceInfo info = db::describeDataSource(dsn);
    const QString ini = info.defined ? info.configFile : db::userDataSourceFile();
    return CallSpool::dataSourceKey(ini, dsn.isEmpty() ? connectionString : dsn);
}

QList<SpooledCall> spooled(const QList<ReceivedCall> &calls)
{
    QList<SpooledCall> out;
    out.reserve(calls.size());
    for (const ReceivedCall &call : calls)
        out << SpooledCall{call.id, call.call};
    return out;
}

} // namespace

CallRecorder::CallRecorder(const dates::Clock &clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_decoder(clock)
{
    m_monotonic.start();
    // Ids are unique in the spool too: earlier runs numbered theirs from earlier moments.
    m_nextId = quint64(QDateTime::currentMSecsSinceEpoch()) * 1000;
    m_deadlineTimer = new QTimer(this);
    m_deadlineTimer->setSingleShot(true);
    connect(m_deadlineTimer, &QTimer::timeout, this, &CallRecorder::onDeadline);
    m_reportHold = new QTimer(this);
    m_reportHold->setSingleShot(true);
    m_reportHold->setInterval(CallerIdDecoder::ReportHold);
    connect(m_reportHold, &QTimer::timeout, this, [this] { take(m_decoder.closeReport()); });
    m_spoolGrace = new QTimer(this);
    m_spoolGrace->setSingleShot(true);
    connect(m_spoolGrace, &QTimer::timeout, this, [this] {
        m_spoolGraceOver = true;
        if (const QList<SpooledCall> deferred = std::exchange(m_deferred, {}); !deferred.isEmpty())
            handOn(deferred);
    });
    m_spoolRetryTimer = new QTimer(this);
    m_spoolRetryTimer->setSingleShot(true);
    connect(m_spoolRetryTimer, &QTimer::timeout, this, &CallRecorder::retryUnsafe);
}

CallRecorder::~CallRecorder()
{
    finish(2000);
    // Only a writer stuck in the data source is still running; its time limits end it.
    m_writerThread.wait();
    m_spoolThread.wait();
    delete m_writer;
}

void CallRecorder::start(const Options &options)
{
    startThreads(options, true);
}

void CallRecorder::startWithoutCallLog(const Options &options)
{
    startThreads(options, false);
}

void CallRecorder::startThreads(const Options &options, bool withLog)
{
    if (m_started || m_finished)
        return;
    m_started = true;
    m_options = options;
    if (m_options.spoolFolder.isEmpty())
        m_options.spoolFolder = CallSpool::defaultFolder();
    if (m_options.spoolKey.isEmpty())
        m_options.spoolKey = defaultSpoolKey(m_options.writer.connectionString);

    m_spoolThread.setObjectName(QStringLiteral("call spool"));
    m_spoolThread.start();
    m_spoolContext.moveToThread(&m_spoolThread);

    if (withLog) {
        m_writer = new CallWriter(m_options.writer);
        m_writer->moveToThread(&m_writerThread);
        connect(m_writer, &CallWriter::stored, this, &CallRecorder::onStored);
        connect(m_writer, &CallWriter::refused, this, &CallRecorder::keep);
        connect(m_writer, &CallWriter::unavailable, this, &CallRecorder::onUnavailable);
        connect(m_writer, &CallWriter::available, this, &CallRecorder::onAvailable);
        m_writerThread.setObjectName(QStringLiteral("call writer"));
        m_writerThread.start();
        QMetaObject::invokeMethod(m_writer, &CallWriter::start, Qt::QueuedConnection);
    }

    armDeadline();
    m_spoolGrace->start(m_options.spoolReadGraceMs);
    runInSpoolThread([this] {
        const Result<CallSpool *> s = spool();
        const QList<SpooledCall> pending = s ? (*s)->pending() : QList<SpooledCall>();
        const QStringList notes = s ? (*s)->notes() : QStringList{s.errorString()};
        const quint64 nextFree = s ? (*s)->nextFreeId() : 0;
        QMetaObject::invokeMethod(
            this, [this, pending, notes, nextFree] { onSpoolOpened(pending, notes, nextFree); },
            Qt::QueuedConnection);
    });
}

void CallRecorder::runInSpoolThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(&m_spoolContext, std::move(work), Qt::QueuedConnection);
}

Result<CallSpool *> CallRecorder::spool()
{
    if (!m_spool) {
        Result<std::unique_ptr<CallSpool>> opened =
            CallSpool::open(m_options.spoolFolder, m_options.spoolKey);
        if (!opened)
            return opened.failure();
        m_spool = std::move(opened).value();
    }
    return m_spool.get();
}

void CallRecorder::onSpoolOpened(const QList<SpooledCall> &pending, const QStringList &notes,
                                 quint64 nextFreeId)
{
    m_spoolReady = true;
    m_spoolGrace->stop();
    m_nextId = qMax(m_nextId, nextFreeId);
    for (const SpooledCall &call : pending) {
        if (m_entries.emplace(call.id, Entry{call.call, m_monotonic.elapsed(), State::Kept, true})
                .second) {
            ++m_waiting;
            ++m_fromEarlierRuns;
        }
    }
    if (!pending.isEmpty() || !notes.isEmpty())
        Q_EMIT earlierCallsWaiting(pending.size(), notes);

    if (m_writer && !pending.isEmpty())
        QMetaObject::invokeMethod(
            m_writer, [w = m_writer, pending] { w->storeFirst(pending); }, Qt::QueuedConnection);
    if (const QList<SpooledCall> deferred = std::exchange(m_deferred, {}); !deferred.isEmpty())
        handOn(deferred);
    checkRoom();
}

void CallRecorder::decode(QString &buffer, const QString &dateSep, const QString &timeSep)
{
    const QList<DecodedCall> decoded = m_decoder.decode(buffer, dateSep, timeSep);
    timeOpenReport();
    take(decoded);
}

void CallRecorder::timeOpenReport()
{
    const quint64 report = m_decoder.openReport();
    if (report == 0 || report == m_timedReport)
        return;
    m_timedReport = report;
    // Only the newest report can be open: an older one closed when this one began.
    m_reportHold->start();
}

void CallRecorder::take(const QList<DecodedCall> &decoded)
{
    if (!decoded.isEmpty())
        show(decoded);
    const QList<CompletedCall> ended = m_decoder.takeCompleted();
    if (ended.isEmpty())
        return;
    QList<ReceivedCall> calls;
    calls.reserve(ended.size());
    for (const CompletedCall &end : ended) {
        // Shown first, and in the same order: the head is this report's call.
        Q_ASSERT(!m_open.empty() && m_open.front().shown == end.call);
        if (m_open.empty())
            break;
        ReceivedCall call = std::move(m_open.front());
        m_open.pop_front();
        call.call.name = end.name;
        if (m_screen)
            m_screen(call, true);
        calls.append(std::move(call));
    }
    complete(calls);
}

void CallRecorder::show(const QList<DecodedCall> &decoded)
{
    QList<ReceivedCall> calls;
    calls.reserve(decoded.size());
    // The calls of a burst mostly share their minute: read it once.
    const DecodedCall *previous = nullptr;
    QDateTime when;
    for (const DecodedCall &shown : decoded) {
        if (!previous || previous->date != shown.date || previous->time != shown.time) {
            when = dates::parseCallStamp(shown.date + QLatin1Char(' ') + shown.time)
                       .value_or(QDateTime());
        }
        previous = &shown;
        calls.append(ReceivedCall{m_nextId++, shown, Call{when, shown.number, {}}, {}});
        // Before the call is listed: a call to hang up on is hung up on without delay.
        if (m_screen)
            m_screen(calls.last(), false);
    }
    m_open.insert(m_open.end(), calls.cbegin(), calls.cend());
    // Only here do held calls grow: remembering that the limit was reached is what makes a
    // later store say "room again", however the limit was reached.
    if (full())
        m_wasFull = true;
    Q_EMIT callsDecoded(calls);
}

void CallRecorder::complete(const QList<ReceivedCall> &calls)
{
    const qint64 now = m_monotonic.elapsed();
    for (const ReceivedCall &call : calls) {
        m_entries.emplace(call.id, Entry{call.call, now, State::InFlight});
        m_fresh.push_back(call.id);
    }
    m_inFlight += calls.size();
    Q_EMIT callsCompleted(calls);
    handOn(spooled(calls));
    if (m_started && !m_deadlineTimer->isActive())
        armDeadline();
}

void CallRecorder::handOn(const QList<SpooledCall> &calls)
{
    if (!m_started || (!m_spoolReady && !m_spoolGraceOver)) {
        m_deferred += calls;
        return;
    }
    if (!m_writer) {
        // Without database support there is no point waiting.
        QList<quint64> ids;
        for (const SpooledCall &call : calls)
            ids << call.id;
        keep(ids, tr("no database support"));
        return;
    }
    QMetaObject::invokeMethod(
        m_writer, [w = m_writer, calls] { w->store(calls); }, Qt::QueuedConnection);
}

void CallRecorder::armDeadline()
{
    while (!m_fresh.empty()) {
        const auto it = m_entries.find(m_fresh.front());
        if (it != m_entries.end() && it->second.state == State::InFlight) {
            const qint64 due = it->second.completedMs + m_options.waitMs - m_monotonic.elapsed();
            m_deadlineTimer->start(int(qBound<qint64>(0, due, qint64(m_options.waitMs))));
            return;
        }
        m_fresh.pop_front();
    }
}

void CallRecorder::onDeadline()
{
    // Calls due a moment later go with these: a burst is kept, and reported, as one.
    const qint64 now = m_monotonic.elapsed() + kKeepTogetherMs;
    QList<quint64> late;
    while (!m_fresh.empty()) {
        const auto it = m_entries.find(m_fresh.front());
        if (it != m_entries.end() && it->second.state == State::InFlight) {
            if (it->second.completedMs + m_options.waitMs > now)
                break;
            late << it->first;
        }
        m_fresh.pop_front();
    }
    if (!late.isEmpty()) {
        keep(late,
             m_down ? m_downReason : tr("not stored within %1 s").arg(m_options.waitMs / 1000));
    }
    armDeadline();
}

void CallRecorder::keep(const QList<quint64> &ids, const QString &reason)
{
    QList<SpooledCall> calls;
    QList<quint64> keptIds;
    for (quint64 id : ids) {
        const auto it = m_entries.find(id);
        if (it == m_entries.end())
            continue;
        Entry &entry = it->second;
        if (entry.state == State::Spooling || entry.state == State::Kept)
            continue;
        if (entry.state == State::InFlight) {
            --m_inFlight;
            ++m_waiting;
        }
        entry.state = State::Spooling;
        ++m_spooling;
        calls << SpooledCall{id, entry.call};
        keptIds << id;
    }
    if (calls.isEmpty())
        return;
    runInSpoolThread([this, calls, keptIds, reason] {
        const Result<CallSpool *> s = spool();
        const Result<void> appended = s ? (*s)->append(calls) : Result<void>(s.failure());
        QMetaObject::invokeMethod(
            this, [this, keptIds, appended, reason] { onAppended(keptIds, appended, reason); },
            Qt::QueuedConnection);
    });
}

void CallRecorder::onAppended(const QList<quint64> &ids, const Result<void> &appended,
                              const QString &reason)
{
    const bool ok = appended.ok();
    const QString error = appended.errorString();
    QList<SpooledCall> calls;
    for (quint64 id : ids) {
        const auto it = m_entries.find(id);
        // Stored meanwhile: its mark followed the append into the spool.
        if (it == m_entries.end() || it->second.state != State::Spooling)
            continue;
        it->second.state = ok ? State::Kept : State::Unsafe;
        --m_spooling;
        calls << SpooledCall{id, it->second.call};
    }
    if (calls.isEmpty())
        return;
    if (!ok && !m_spoolRetryTimer->isActive() && !m_finished)
        m_spoolRetryTimer->start(m_options.spoolRetryMs);
    // A retry that fails as the last attempt did has nothing new to tell.
    const bool retry = reason.isEmpty();
    if (!ok && retry && error == m_heldBecause)
        return;
    m_heldBecause = ok ? QString() : error;
    Q_EMIT callsWaiting(calls, ok, ok ? reason : error);
}

void CallRecorder::retryUnsafe()
{
    QList<quint64> unsafe;
    for (const auto &[id, entry] : m_entries) {
        if (entry.state == State::Unsafe)
            unsafe << id;
    }
    keep(unsafe, QString());
}

void CallRecorder::onStored(const QList<quint64> &ids)
{
    QList<quint64> inTime;
    QList<quint64> later;
    QList<quint64> inSpool;
    for (quint64 id : ids) {
        const auto it = m_entries.find(id);
        if (it == m_entries.end())
            continue;
        switch (it->second.state) {
        case State::InFlight:
            inTime << id;
            break;
        case State::Spooling:
        case State::Kept:
            inSpool << id;
            later << id;
            break;
        case State::Unsafe:
            later << id;
            break;
        }
        forget(it);
    }
    if (!inSpool.isEmpty())
        markStoredInSpool(inSpool);
    if (!inTime.isEmpty())
        Q_EMIT callsStored(inTime);
    if (!later.isEmpty()) {
        m_savedSinceWaiting += later.size();
        Q_EMIT callsSavedLater(later);
        if (m_waiting == 0) {
            Q_EMIT waitingCallsSaved(std::exchange(m_savedSinceWaiting, 0));
        }
    }
    checkRoom();
}

void CallRecorder::forget(std::map<quint64, Entry>::iterator it)
{
    if (it->second.earlierRun)
        --m_fromEarlierRuns;
    if (it->second.state == State::InFlight) {
        --m_inFlight;
    } else {
        --m_waiting;
        if (it->second.state == State::Spooling)
            --m_spooling;
    }
    m_entries.erase(it);
}

void CallRecorder::markStoredInSpool(const QList<quint64> &ids)
{
    // A mark that cannot be made durable now goes with the spool's next write; until then
    // a restart would store those calls once more, which is allowed.
    runInSpoolThread([this, ids] {
        if (const Result<CallSpool *> s = spool())
            static_cast<void>((*s)->markStored(ids));
    });
}

void CallRecorder::onUnavailable(const QString &reason)
{
    m_down = true;
    m_downReason = reason;
    Q_EMIT callLogGone(reason);
}

void CallRecorder::onAvailable()
{
    m_down = false;
    m_downReason.clear();
    Q_EMIT callLogBack();
}

bool CallRecorder::full() const
{
    return qsizetype(m_entries.size() + m_open.size()) - m_fromEarlierRuns >= m_options.memoryLimit;
}

bool CallRecorder::busy() const
{
    return !m_open.empty() || m_inFlight > 0 || m_spooling > 0;
}

void CallRecorder::checkRoom()
{
    const bool isFull = full();
    if (m_wasFull && !isFull)
        Q_EMIT roomAgain();
    m_wasFull = isFull;
}

bool CallRecorder::finish(int budgetMs)
{
    if (m_finished)
        return m_cleanEnd;
    // A report still open may hold its call back: it closes now, so the call goes too.
    m_reportHold->stop();
    if (m_started)
        take(m_decoder.closeReport());
    m_finished = true;
    m_deadlineTimer->stop();
    m_spoolRetryTimer->stop();
    m_spoolGrace->stop();
    if (!m_started)
        return true;

    const QDeadlineTimer deadline(budgetMs);
    if (m_writer) {
        // The writer stores what it holds if it can do so at once; a writer stuck in the
        // data source is not waited for beyond half the time.
        QMetaObject::invokeMethod(m_writer, &CallWriter::finish, Qt::QueuedConnection);
        m_writerThread.wait(QDeadlineTimer(deadline.remainingTime() / 2));
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
    // The spool's thread ends after the work queued for it.
    runInSpoolThread([] { QThread::currentThread()->quit(); });
    const bool spoolEnded = m_spoolThread.wait(deadline);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (spoolEnded)
        finalSpooling();
    else
        spoolBeside();
    m_cleanEnd = spoolEnded && (!m_writer || m_writerThread.isFinished());
    return m_cleanEnd;
}

void CallRecorder::finalSpooling()
{
    // The spool's thread has ended: the spool is this thread's now.
    QList<SpooledCall> calls;
    for (const auto &[id, entry] : m_entries) {
        if (entry.state == State::InFlight || entry.state == State::Unsafe)
            calls << SpooledCall{id, entry.call};
    }
    if (calls.isEmpty())
        return;
    // What cannot be kept now is lost with the process: the receive log said so when
    // those calls were held in memory.
    if (const Result<CallSpool *> s = spool())
        static_cast<void>((*s)->append(calls));
}

void CallRecorder::spoolBeside()
{
    QList<SpooledCall> calls;
    for (const auto &[id, entry] : m_entries) {
        if (entry.state != State::Kept && !entry.earlierRun)
            calls << SpooledCall{id, entry.call};
    }
    if (calls.isEmpty())
        return;
    // The busy file is held, so this one is the next free name. What cannot be kept here
    // either is lost with the process, as the receive log said when those calls were held.
    if (Result<std::unique_ptr<CallSpool>> beside =
            CallSpool::open(m_options.spoolFolder, m_options.spoolKey))
        static_cast<void>((*beside)->append(calls));
}
