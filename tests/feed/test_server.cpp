#include "feed/FeedClient.h"
#include "feed/FeedServer.h"
#include "tests/feed/FeedTestClient.h"
#include "feed/NcidLines.h"

#include <QNetworkInterface>
#include <QSemaphore>
#include <QThread>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

const QByteArray ServerLine = "200 Server: ringvane (Ringvane) " RINGVANE_VERSION;
const QByteArray ApiLine = "210 API 1.0 Feature Set 1";
const QByteArray EndOfStartup = "300 End of connection startup";
const QHostAddress Loopback(QHostAddress::LocalHost);

Call callAt(int hour, int minute, const QString &number, const QString &name = {})
{
    return {QDateTime(QDate::currentDate(), QTime(hour, minute)), number, name};
}

QByteArray liveLine(const Call &call)
{
    return NcidLines::callLine(NcidLines::Kind::Live, call).chopped(1);
}

QByteArray logLine(const Call &call)
{
    return NcidLines::callLine(NcidLines::Kind::Log, call).chopped(1);
}

FeedServer::TodaysCalls fixedLog(std::optional<QList<Call>> log)
{
    return [log] {
        // A slow or huge log never holds up the window's thread.
        EXPECT_NE(QThread::currentThread(), QCoreApplication::instance()->thread());
        return log;
    };
}

// Today's calls handed out one read at a time, each read waiting until the test lets it go.
// The semaphores order the hand-over of m_next between the threads.
class GatedLog
{
public:
    FeedServer::TodaysCalls provider()
    {
        return [this] {
            m_entered.release();
            m_release.acquire();
            return std::optional<QList<Call>>(m_next);
        };
    }
    bool waitUntilReading() { return m_entered.tryAcquire(1, 20000); }
    void release(const QList<Call> &log)
    {
        m_next = log;
        m_release.release();
    }

private:
    QSemaphore m_entered;
    QSemaphore m_release;
    QList<Call> m_next;
};

TEST(FeedServer, IsOffUntilStarted)
{
    std::atomic<int> reads = 0;
    FeedServer feed([&] {
        ++reads;
        return std::optional<QList<Call>>(QList<Call>{});
    });
    feed.sendCall(callAt(10, 15, QStringLiteral("5550123")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(feed.isListening());
    EXPECT_EQ(feed.serverPort(), 0);
    EXPECT_TRUE(feed.listeningOn().isEmpty());
    EXPECT_EQ(reads, 0);
}

TEST(FeedServer, StartupLinesThenEachCallAsItCompletes)
{
    const Call early = callAt(8, 1, QStringLiteral("5550001"), QStringLiteral("ANN"));
    const Call later = callAt(9, 30, QStringLiteral("P"));
    Call hungUp = callAt(9, 45, QStringLiteral("0800"));
    hungUp.blocked = true;
    const QByteArray today = QDate::currentDate().toString(QStringLiteral("MMddyyyy")).toLatin1();
    const struct
    {
        const char *what;
        FeedServer::TodaysCalls log;
        QByteArrayList logLines;
    } cases[] = {
        {"today's calls",
         fixedLog(QList<Call>{early, later}),
         {logLine(early), logLine(later), "250 End of call log"}},
        {"a call hung up on",
         fixedLog(QList<Call>{hungUp}),
         {"HUPLOG: *DATE*" + today + "*TIME*0945*LINE*-*NMBR*0800*MESG*NONE*NAME*NO NAME*",
          "250 End of call log"}},
        {"none today", fixedLog(QList<Call>{}), {"252 Call log empty"}},
        {"log unreadable", fixedLog(std::nullopt), {"253 No Call log"}},
        {"log throws",
         []() -> std::optional<QList<Call>> { throw std::runtime_error("gone"); },
         {"253 No Call log"}},
        {"no log at all", {}, {"253 No Call log"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FeedServer feed(c.log);
        const Result<void> started = feed.start(QStringLiteral("127.0.0.1:0"));
        ASSERT_TRUE(started) << started.errorString().toStdString();
        // Exact lines: a CR or a missing LF would show in them.
        FeedTestClient client(Loopback, feed.serverPort());
        const QByteArrayList expected =
            QByteArrayList{ServerLine, ApiLine} + c.logLines + QByteArrayList{EndOfStartup};
        ASSERT_TRUE(client.waitForLines(expected.size()));
        EXPECT_EQ(client.lines(), expected);

        feed.sendCall(callAt(10, 15, QStringLiteral("5550123")));
        ASSERT_TRUE(client.waitForLines(expected.size() + 1));
        EXPECT_EQ(client.lines().last(),
                  "CID: *DATE*" + today + "*TIME*1015*LINE*-*NMBR*5550123*MESG*NONE*NAME*NO NAME*");
        feed.sendCall(hungUp);
        ASSERT_TRUE(client.waitForLines(expected.size() + 2));
        EXPECT_EQ(client.lines().last(),
                  "HUP: *DATE*" + today + "*TIME*0945*LINE*-*NMBR*0800*MESG*NONE*NAME*NO NAME*");
    }
}

TEST(FeedServer, CallsDuringStartupFollowItOnceAndInOrder)
{
    GatedLog log;
    FeedServer feed(log.provider());
    ASSERT_TRUE(feed.start(QStringLiteral("0")));

    const Call old = callAt(7, 0, QStringLiteral("5550100"));
    const Call first = callAt(10, 15, QStringLiteral("5550101"), QStringLiteral("FIRST"));
    const Call second = callAt(10, 16, QStringLiteral("5550102"), QString(300, QLatin1Char('N')));

    FeedTestClient early(Loopback, feed.serverPort());
    ASSERT_TRUE(early.waitForLines(2)); // the greeting does not wait for the log
    ASSERT_TRUE(log.waitUntilReading());
    feed.sendCall(first);

    // This client came after the read began: it needs a read of its own.
    FeedTestClient late(Loopback, feed.serverPort());
    ASSERT_TRUE(late.waitForLines(2));
    feed.sendCall(second);

    // The first read caught the first call already stored (without its name).
    log.release({old, Call{first.when, first.number, {}}});
    ASSERT_TRUE(early.waitForLines(7));
    EXPECT_EQ(early.lines(),
              (QByteArrayList{ServerLine, ApiLine, logLine(old), "250 End of call log",
                              EndOfStartup, liveLine(first), liveLine(second)}));

    ASSERT_TRUE(log.waitUntilReading());
    // The log is read no further than a client is sent: the second call's row, so cut.
    log.release(
        {old, first, Call{second.when, second.number, second.name.left(NcidLines::MaxFieldLength)}});
    ASSERT_TRUE(late.waitForLines(7));
    EXPECT_EQ(late.lines(),
              (QByteArrayList{ServerLine, ApiLine, logLine(old), logLine(first),
                              "250 End of call log", EndOfStartup, liveLine(second)}));

    // Nothing more arrives: each call came exactly once.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(early.lines().size(), 7);
    EXPECT_EQ(late.lines().size(), 7);
}

// Two calls from one number in one minute are two calls: the one in the log is kept when
// the other arrives while the log is read.
TEST(FeedServer, ADistinctCallOfTheSameMinuteStaysInTheLog)
{
    GatedLog log;
    FeedServer feed(log.provider());
    ASSERT_TRUE(feed.start(QStringLiteral("0")));
    const Call first = callAt(9, 30, QStringLiteral("5550123"), QStringLiteral("FIRST CALL"));
    const Call second = callAt(9, 30, QStringLiteral("5550123"), QStringLiteral("SECOND CALL"));

    FeedTestClient client(Loopback, feed.serverPort());
    ASSERT_TRUE(client.waitForLines(2));
    ASSERT_TRUE(log.waitUntilReading());
    feed.sendCall(second);
    log.release({first});
    ASSERT_TRUE(client.waitForLines(6)) << client.received().toStdString();
    EXPECT_EQ(client.lines(), (QByteArrayList{ServerLine, ApiLine, logLine(first),
                                              "250 End of call log", EndOfStartup, liveLine(second)}));
}

// A client with nothing to say shuts its sending side at once (socat ... </dev/null) and
// still gets every line; idle connections from one user take at most their share.
TEST(FeedServer, AListenerThatShutsItsSideIsServedAndOnePeerTakesOnlyItsShare)
{
    FeedServer feed(fixedLog(QList<Call>{}));
    ASSERT_TRUE(feed.start(QStringLiteral("0")));
    {
        FeedTestClient listener(Loopback, feed.serverPort());
        ASSERT_TRUE(listener.waitForLines(2));
        ASSERT_EQ(::shutdown(int(listener.socket().socketDescriptor()), SHUT_WR), 0);
        ASSERT_TRUE(listener.waitForLines(4));
        waitFor([] { return false; }, 200); // the server has seen the end of its input
        const Call call = callAt(12, 0, QStringLiteral("5550199"));
        feed.sendCall(call);
        ASSERT_TRUE(listener.waitForLines(5));
        EXPECT_EQ(listener.lines().last(), liveLine(call));
    }

    std::vector<std::unique_ptr<SilentClient>> idle;
    for (int i = 0; i < FeedServer::MaxPerPeer; ++i) {
        idle.push_back(std::make_unique<SilentClient>(feed.serverPort()));
        ASSERT_TRUE(idle.back()->connected());
    }
    // The listener above left; its place went to the idle ones.
    ASSERT_TRUE(waitFor([&] { return feed.clientCount() == FeedServer::MaxPerPeer; }));
    FeedTestClient oneMore(Loopback, feed.serverPort());
    ASSERT_TRUE(oneMore.waitForClosed());
    EXPECT_TRUE(oneMore.received().isEmpty());
    EXPECT_EQ(feed.clientCount(), FeedServer::MaxPerPeer);
}

TEST(FeedServer, ALongDaysLogIsPacedNotDropped)
{
    QList<Call> day;
    for (int i = 0; i < 20000; ++i)
        day.append(
            callAt(i / 60 % 24, i % 60, QStringLiteral("555%1").arg(i, 5, 10, QLatin1Char('0'))));
    FeedServer feed(fixedLog(day));
    ASSERT_TRUE(feed.start(QStringLiteral("0")));

    FeedTestClient client(Loopback, feed.serverPort());
    ASSERT_TRUE(client.waitForLines(3));
    const Call live = callAt(23, 59, QStringLiteral("5559999"));
    feed.sendCall(live);

    ASSERT_TRUE(client.waitForLines(2 + 20000 + 2 + 1, 60000));
    EXPECT_GT(client.received().size(), 4 * FeedClient::MaxBehind);
    QByteArrayList expected{ServerLine, ApiLine};
    for (const Call &call : day)
        expected << logLine(call);
    EXPECT_EQ(client.lines(), expected << "250 End of call log" << EndOfStartup << liveLine(live));
    EXPECT_EQ(feed.clientCount(), 1);
}

TEST(FeedServer, AClientThatNeverReadsIsDroppedAndOthersKeepUp)
{
    FeedServer feed(fixedLog(QList<Call>{}));
    ASSERT_TRUE(feed.start(QStringLiteral("0")));
    FeedTestClient reader(Loopback, feed.serverPort());
    ASSERT_TRUE(reader.waitForLines(4));
    SilentClient silent(feed.serverPort());
    ASSERT_TRUE(silent.connected());
    ASSERT_TRUE(waitFor([&] { return feed.clientCount() == 2; }));

    auto call = [](int i) {
        return callAt(12, 0, QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')));
    };
    const qint64 lineSize = NcidLines::callLine(NcidLines::Kind::Live, call(0)).size();
    int sent = 0;
    while (feed.clientCount() == 2 && sent < 200000) {
        for (int i = 0; i < 200; ++i)
            feed.sendCall(call(sent++));
        ASSERT_TRUE(reader.waitForLines(4 + sent)) << sent;
    }
    EXPECT_EQ(feed.clientCount(), 1);
    // Not before it fell the whole buffer behind, and not long after: the system's buffers
    // on both ends hold a little more.
    EXPECT_GT(sent * lineSize, FeedClient::MaxBehind);
    EXPECT_LT(sent * lineSize, FeedClient::MaxBehind + 512 * 1024);

    feed.sendCall(call(sent++));
    ASSERT_TRUE(reader.waitForLines(4 + sent));
    const QByteArrayList lines = reader.lines();
    for (int i = 0; i < sent; ++i)
        ASSERT_EQ(lines.at(4 + i), liveLine(call(i))) << i;
}

TEST(FeedServer, TheThirtyThirdClientIsClosedAtOnce)
{
    FeedServer feed(fixedLog(QList<Call>{}));
    feed.setMaxPerPeer(FeedServer::MaxClients); // every client here is the same user
    ASSERT_TRUE(feed.start(QStringLiteral("0")));
    std::vector<std::unique_ptr<FeedTestClient>> clients;
    for (int i = 0; i < FeedServer::MaxClients; ++i) {
        clients.push_back(std::make_unique<FeedTestClient>(Loopback, feed.serverPort()));
        ASSERT_TRUE(clients.back()->waitForLines(4)) << i;
    }

    FeedTestClient extra(Loopback, feed.serverPort());
    ASSERT_TRUE(extra.waitForClosed());
    EXPECT_TRUE(extra.received().isEmpty());
    EXPECT_EQ(feed.clientCount(), FeedServer::MaxClients);

    // A client that leaves gives its place to the next (a closed connection looks like a
    // half-closed one until sending fails, so it goes when its place is wanted), and
    // everyone still gets the calls.
    clients.front().reset();
    clients.front() = std::make_unique<FeedTestClient>(Loopback, feed.serverPort());
    ASSERT_TRUE(clients.front()->waitForLines(4));
    EXPECT_EQ(feed.clientCount(), FeedServer::MaxClients);
    const Call call = callAt(11, 11, QStringLiteral("5551111"));
    feed.sendCall(call);
    for (const auto &client : clients) {
        ASSERT_TRUE(client->waitForLines(5));
        EXPECT_EQ(client->lines().last(), liveLine(call));
    }
}

TEST(FeedServer, ClientInputIsReadAndDiscarded)
{
    FeedServer feed(fixedLog(QList<Call>{}));
    ASSERT_TRUE(feed.start(QStringLiteral("0")));
    FeedTestClient noisy(Loopback, feed.serverPort());
    FeedTestClient other(Loopback, feed.serverPort());
    ASSERT_TRUE(noisy.waitForLines(4));
    ASSERT_TRUE(other.waitForLines(4));

    QByteArray garbage;
    for (int i = 0; i < 256; ++i)
        garbage += char(i);
    noisy.socket().write("HELLO: IDENT: client test 1.0\n\nHELLO: CMD: no_log\n");
    noisy.socket().write("MSG: everyone look here ***DATE*01012000*\n");
    noisy.socket().write(garbage.repeated(1000));
    noisy.socket().write(QByteArray(4 * 1024 * 1024, 'x')); // one line that never ends
    // All of it is taken off the wire, so the writer can finish.
    ASSERT_TRUE(waitFor([&] { return noisy.socket().bytesToWrite() == 0; }, 60000));

    const Call call = callAt(13, 37, QStringLiteral("5551337"));
    feed.sendCall(call);
    for (FeedTestClient *client : {&noisy, &other}) {
        ASSERT_TRUE(client->waitForLines(5));
        EXPECT_EQ(client->lines().size(), 5); // nothing relayed
        EXPECT_EQ(client->lines().last(), liveLine(call));
    }
    EXPECT_EQ(feed.clientCount(), 2);
}

TEST(FeedServer, APortAloneMeansLoopbackAndIPv6IsServed)
{
    const struct
    {
        const char *where;
        const char *shown; // %1: the port
        QHostAddress client;
    } cases[] = {
        {"0", "127.0.0.1:%1", Loopback},
        {"[::1]:0", "[::1]:%1", QHostAddress(QHostAddress::LocalHostIPv6)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.where);
        FeedServer feed(fixedLog(QList<Call>{}));
        if (const Result<void> started = feed.start(QString::fromLatin1(c.where)); !started)
            GTEST_SKIP() << "no IPv6 loopback here: " << started.errorString().toStdString();
        EXPECT_EQ(feed.listeningOn(), QString::fromLatin1(c.shown).arg(feed.serverPort()));
        FeedTestClient client(c.client, feed.serverPort());
        ASSERT_TRUE(client.waitForLines(4));
        const Call call = callAt(6, 6, QStringLiteral("O"));
        feed.sendCall(call);
        ASSERT_TRUE(client.waitForLines(5));
        EXPECT_EQ(client.lines().last(), liveLine(call));
        if (c.client.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        // Another address of this computer does not reach a feed on a port alone.
        for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
            if (address.isLoopback() || address.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            FeedTestClient outside(address, feed.serverPort());
            ASSERT_TRUE(outside.waitForClosed());
            EXPECT_EQ(outside.socket().error(), QAbstractSocket::ConnectionRefusedError)
                << address.toString().toStdString();
        }
    }
}

TEST(FeedServer, AnAddressThatCannotBeUsedLeavesTheFeedOff)
{
    QTcpServer holder; // another caller-ID server, say
    ASSERT_TRUE(holder.listen(Loopback, 0));
    const QString held = QStringLiteral("127.0.0.1:%1").arg(holder.serverPort());

    const struct
    {
        QString where;
        QString says;
    } cases[] = {
        {held, held + QStringLiteral(" is already in use")},
        {QString::number(holder.serverPort()), held + QStringLiteral(" is already in use")},
        {QStringLiteral("300.1.1.1:3333"), QStringLiteral("\"300.1.1.1:3333\" is not an address")},
        {QStringLiteral("3333\n:x"), QStringLiteral("is not an address and port")},
        {QStringLiteral("192.0.2.1:0"),
         QStringLiteral("192.0.2.1:0 is not an address of this computer")},
    };
    for (const auto &c : cases) {
        FeedServer feed(fixedLog(QList<Call>{}));
        ASSERT_TRUE(feed.start(QStringLiteral("0")));
        FeedTestClient before(Loopback, feed.serverPort());
        ASSERT_TRUE(before.waitForLines(4));

        const Result<void> started = feed.start(c.where);
        EXPECT_FALSE(started) << c.where.toStdString();
        EXPECT_FALSE(feed.isListening());
        EXPECT_EQ(feed.clientCount(), 0);
        EXPECT_TRUE(started.errorString().startsWith(QStringLiteral("Network feed off: ")));
        EXPECT_TRUE(started.errorString().contains(c.says)) << started.errorString().toStdString();
        EXPECT_FALSE(started.errorString().contains(QLatin1Char('\n')));
        EXPECT_TRUE(before.waitForClosed());
    }
    EXPECT_TRUE(holder.isListening());
}

TEST(FeedServer, GoingAwayDuringAReadIsSafe)
{
    GatedLog log;
    auto feed = std::make_unique<FeedServer>(log.provider());
    ASSERT_TRUE(feed->start(QStringLiteral("0")));
    FeedTestClient client(Loopback, feed->serverPort());
    ASSERT_TRUE(client.waitForLines(2));
    ASSERT_TRUE(log.waitUntilReading());
    // The destructor waits for the read; the log comes meanwhile from another thread.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        log.release({});
    });
    feed.reset();
    releaser.join();
    EXPECT_TRUE(client.waitForClosed());
    EXPECT_EQ(client.lines(), (QByteArrayList{ServerLine, ApiLine}));
}

} // namespace
