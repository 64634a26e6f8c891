#include "calllog/CallPipeline.h"

#include "calllog/CallLog.h"
#include "calllog/CallNotifier.h"
#include "calllog/DayView.h"
#include "calllog/OneLine.h"
#include "calllog/TAPI.h"
#include "failure/Failure.h"
#include "feed/FeedServer.h"
#include "feed/NcidLines.h"
#include "locale/LocaleDates.h"
#include "text/PluralCount.h"

#include <utility>

namespace {

// Today's calls for the feed's clients. Runs on the feed's own worker thread, so it has a
// connection of its own there: opened on first use, and anew after any failure.
// Today's calls for the feed's start-up lines, each named by the user's phonebook where it
// has the number (findContact may be empty: no phonebook).
FeedServer::TodaysCalls todaysCallsFromLog(const dates::Clock &clock,
                                           const CallerBook::ContactFinder &findContact)
{
    auto connection = std::make_shared<std::unique_ptr<db::Connection>>();
    return [connection, &clock, findContact]() -> std::optional<QList<Call>> {
        try {
            if (!*connection) {
                std::unique_ptr<db::Connection> opened = TAPI::newConnection();
                opened->Open(TAPI::callLogSource(), QString(), QString(), -1);
                *connection = std::move(opened);
            }
            // Each text no longer than a client is sent, so that a day of huge values
            // another program wrote holds a few megabytes here, not a gigabyte.
            Result<QList<Call>> calls = CallLog(**connection)
                                            .readDay(clock.now().date(), dayview::ListCapacity,
                                                     NcidLines::MaxFieldLength);
            if (!calls)
                throw calls.failure();
            if (findContact) {
                for (Call &call : *calls) {
                    if (const QString contact = findContact(call.number); !contact.isEmpty())
                        call.name = contact;
                }
            }
            return std::move(calls).value();
        } catch (const Failure &) {
            connection->reset();
            return std::nullopt;
        }
    };
}

// The phonebook as the call log's data source holds it, on a connection of its own (it
// runs on the phonebook's thread); a connection that failed is opened afresh next time.
CallerBook::Source phonebookFromLog()
{
    auto connection = std::make_shared<std::unique_ptr<db::Connection>>();
    return [connection]() -> Result<CallerBook::Entries> {
        try {
            if (!*connection) {
                std::unique_ptr<db::Connection> opened = TAPI::newConnection();
                opened->Open(TAPI::callLogSource(), QString(), QString(), -1);
                *connection = std::move(opened);
            }
            const Result<QList<Contact>> contacts = CallLog(**connection).readPhonebook();
            if (!contacts)
                throw contacts.failure();
            CallerBook::Entries entries;
            entries.reserve(contacts->size());
            for (const Contact &contact : *contacts)
                entries.append({contact.number, contact.name, contact.mark});
            return entries;
        } catch (const Failure &failure) {
            connection->reset();
            return failure;
        }
    };
}

} // namespace

void CallPipeline::startCallers(const QString &region, const CallerBook::Source &source)
{
    delete std::exchange(m_callers, nullptr);
    const QString country = region.isEmpty() ? PhoneNumbers::regionOf(QLocale()) : region.toUpper();
    m_callers = new CallerBook(source ? source : phonebookFromLog(), country, QLocale(), this);
    connect(m_callers, &CallerBook::unreadable, this, [this](const QString &why) {
        Q_EMIT outletRemark(
            tr("The phonebook cannot be read, callers are shown as the line gives them: %1")
                .arg(oneLine(why.section(QLatin1Char('\n'), 0, 0))));
    });
    m_callers->start();
}

CallPipeline::CallPipeline(const dates::Clock &clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_recorder(new CallRecorder(clock, this))
{
    connect(m_recorder, &CallRecorder::callsWaiting, this, &CallPipeline::reportWaiting);
    connect(m_recorder, &CallRecorder::waitingCallsSaved, this, [this](qsizetype count) {
        // English has a text of its own for one call; the other is a plural text, so that a
        // language with more than two forms still finds its own.
        Q_EMIT waitingCallsSaved(
            count == 1 ? tr("The call log is back: 1 waiting call saved")
                       : tr("The call log is back: %n waiting calls saved", nullptr,
                            pluralCount(count)));
    });
    connect(m_recorder, &CallRecorder::roomAgain, this, [this] {
        if (std::exchange(m_readWaiting, false))
            QMetaObject::invokeMethod(this, &CallPipeline::readAgain, Qt::QueuedConnection);
    });
    connect(m_recorder, &CallRecorder::callsCompleted, this, &CallPipeline::passOn);
}

CallPipeline::~CallPipeline()
{
    // The recorder ends (and spools what it holds) before the outlets it feeds.
    disconnect(m_recorder, nullptr, this, nullptr);
    delete std::exchange(m_recorder, nullptr);
}

void CallPipeline::start(bool noDatabaseSupport, const CallRecorder::Options &options)
{
    if (noDatabaseSupport)
        m_recorder->startWithoutCallLog(options);
    else
        m_recorder->start(options);
}

bool CallPipeline::finish(int budgetMs)
{
    return m_recorder->finish(budgetMs);
}

bool CallPipeline::mayRead()
{
    if (m_recorder->full()) {
        m_readWaiting = true;
        return false;
    }
    return true;
}

void CallPipeline::receive(const QString &text)
{
    if (m_line)
        m_line->received(text);
    m_buffer += text.toUpper();
    decode();
}

void CallPipeline::decode()
{
    m_recorder->decode(m_buffer, m_dateSep, m_timeSep);
}

void CallPipeline::startOutlets(bool notifications, const QString &feedAddress,
                                const ServiceMaker &makeService)
{
    if (m_notifier)
        return;
    m_notifier = new CallNotifier(notifications, makeService, this);
    connect(m_notifier, &CallNotifier::activated, this, &CallPipeline::noticeActivated);
    connect(m_notifier, &CallNotifier::unavailable, this, &CallPipeline::outletRemark);

    if (!feedAddress.isEmpty()) {
        m_feed = new FeedServer(
            todaysCallsFromLog(m_clock, m_callers ? m_callers->contactFinder()
                                                  : CallerBook::ContactFinder()),
            this);
        if (const Result<void> listening = m_feed->start(feedAddress); !listening) {
            delete std::exchange(m_feed, nullptr);
            Q_EMIT feedOff(listening.errorString());
        }
    }
}

void CallPipeline::startScreening(const ScreenRules &rules, const LineGuard::Send &send)
{
    m_rules = rules;
    m_screening = true;
    if (!m_line) {
        m_line = new LineGuard(send, this);
        connect(m_line, &LineGuard::cannotHangUp, this, [this](const QString &why) {
            Q_EMIT screeningRemark(
                tr("The modem cannot hang up on calls (%1): calls to block are only marked")
                    .arg(why));
        });
    }
    m_line->setHoldMs(rules.holdMs);
    m_recorder->setScreen(
        [this](ReceivedCall &call, bool reportClosed) { screen(call, reportClosed); });
}

void CallPipeline::screen(ReceivedCall &call, bool reportClosed)
{
    if (!m_screening || !m_callers)
        return;
    if (reportClosed && !m_waitingForName.remove(call.id)) {
        // Decided as it was decoded; a modem that refused the line since did not hang up.
        if (call.call.blocked && !m_line->canHangUp())
            call.call.blocked = false;
        return;
    }
    if (!m_callers->readable()) {
        // Only what the phonebook says may hang up a call (a known-only rule would hang up
        // everyone while it cannot be read).
        if (m_rules.hangsUp() && !std::exchange(m_saidUnscreened, true)) {
            Q_EMIT screeningRemark(
                tr("The phonebook is not read yet or cannot be read: calls ring and none is "
                   "hung up"));
        }
        return;
    }
    m_saidUnscreened = false;
    const Verdict verdict =
        m_callers->screen(call.call.number,
                          reportClosed ? std::optional<QString>(call.call.name) : std::nullopt,
                          m_rules);
    if (verdict.waitForName) {
        m_waitingForName.insert(call.id);
        return;
    }
    if (verdict.undecided && !std::exchange(m_saidUndecided, true)) {
        Q_EMIT screeningRemark(tr("Ringvane cannot read the number %1, so the call rings: "
                                  "numbers without a country code need [numbers] region= in "
                                  "the settings")
                                   .arg(oneLine(call.call.number).left(40)));
    }
    call.unwanted = verdict.reason;
    if (verdict.hangUp)
        call.call.blocked = m_line->hangUp();
}

void CallPipeline::passOn(const QList<ReceivedCall> &calls)
{
    if (!m_notifier)
        return;
    for (const ReceivedCall &call : calls) {
        CallerShown shown =
            m_callers ? m_callers->describe(call.call.number, call.call.name) : CallerShown();
        shown.unwanted = call.unwanted;
        if (!call.call.blocked || m_rules.notify)
            m_notifier->notify(call.call, shown);
        if (m_feed) {
            // Clients read the contact as the caller's name, as from NCID's own server.
            Call named = call.call;
            if (!shown.contact.isEmpty())
                named.name = shown.contact;
            m_feed->sendCall(named);
        }
    }
}

void CallPipeline::reportWaiting(const QList<SpooledCall> &calls, bool kept,
                                 const QString &reason)
{
    // One call has a text of its own, as in the constructor.
    const int n = pluralCount(calls.size());
    QString message;
    if (kept) {
        message = n == 1 ? tr("The call is kept and will be saved when the call log is back")
                         : tr("%n calls are kept and will be saved when the call log is back",
                              nullptr, n);
    } else {
        message = n == 1
                      ? tr("The call is not yet safe: it could not be kept on disk")
                      : tr("%n calls are not yet safe: they could not be kept on disk", nullptr, n);
    }
    QStringList lines{dates::formatGeneralDate(m_clock.now()), message};
    if (!reason.isEmpty())
        lines << reason;
    for (const SpooledCall &call : calls) {
        const QString stamp = dates::formatCallStamp(call.call.when, m_dateSep, m_timeSep);
        lines << (kept ? tr("Waiting: [%1] %2") : tr("Held in memory: [%1] %2"))
                     .arg(stamp, call.call.number);
    }
    const int waiting = pluralCount(m_recorder->waitingCount());
    lines << (waiting == 1 ? tr("1 call waiting for the call log")
                           : tr("%n calls waiting for the call log", nullptr, waiting));
    Q_EMIT callsWaiting(calls, message, lines);
}
