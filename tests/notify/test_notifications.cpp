#include "calllog/CallNotifier.h"
#include "calllog/CallPipeline.h"
#include "locale/DateServices.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/support/FakeClock.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TestHelpers.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QStringList kFullService{QStringLiteral("actions"), QStringLiteral("body-markup")};
const QString kOct13 = QStringLiteral("10/13/2002 14:25");
const QString kOct13British = QStringLiteral("13/10/2002 14:25");
const QString kNoAnswer = QStringLiteral(
    "Desktop notifications are not available: the notification service did not answer "
    "within 5 seconds");

Call call(const QString &number, const QString &name = {})
{
    return {dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25)), number, name};
}

// The notices go to the private bus through a connection of their own.
CallNotifier::ServiceMaker on(PrivateSessionBus &bus)
{
    return [&bus] { return std::make_unique<FreedesktopNotifications>(bus.connect()); };
}

bool waitForNotices(PrivateSessionBus &bus, qsizetype count, int ms = 10000)
{
    return waitFor([&] { return bus.notices().size() >= count; }, ms);
}

void runEventsFor(int ms)
{
    waitFor([] { return false; }, ms);
}

QString text(const QJsonValue &notice, const char *field)
{
    return notice[QLatin1String(field)].toString();
}

qint64 number(const QJsonValue &notice, const char *field)
{
    return notice[QLatin1String(field)].toInteger();
}

} // namespace

TEST(DesktopNotices, CarryTheCallInPlainWordsWithTheProgramAndItsIcon)
{
    const QStringList markupOnly{QStringLiteral("body-markup")};
    const struct
    {
        const char *what;
        QStringList capabilities;
        const char *number;
        const char *name;
        const char *summary;
        const char *firstLine; // of the body, before the moment
    } cases[] = {
        {"a call with its name", kFullService, "5551234", "JOHN SMITH", "5551234", "JOHN SMITH"},
        {"a marker in words, the name's markup escaped", kFullService, "OUT-OF-AREA",
         "<b>x</b> &amp; \"JJ\" O'NEIL", "Number unavailable",
         "&lt;b&gt;x&lt;/b&gt; &amp;amp; &quot;JJ&quot; O'NEIL"},
        {"a service without markup gets the text",
         {},
         "5551234",
         "<b>x</b> &amp;",
         "5551234",
         "<b>x</b> &amp;"},
        {"the summary is never markup", markupOnly, "<b>1</b>", "A&B", "<b>1</b>", "A&amp;B"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PrivateSessionBus bus;
        ASSERT_TRUE(bus.startNotificationService({c.capabilities, {}}))
            << qPrintable(bus.failure());
        CallNotifier notifier(true, on(bus));
        notifier.notify(call(QString::fromUtf8(c.number), QString::fromUtf8(c.name)));
        ASSERT_TRUE(waitForNotices(bus, 1));

        const QJsonValue notice = bus.notices().at(0);
        EXPECT_EQ(text(notice, "summary"), QString::fromUtf8(c.summary));
        EXPECT_EQ(text(notice, "body"), QString::fromUtf8(c.firstLine) + u'\n' + kOct13);
        EXPECT_EQ(text(notice, "app_name"), QStringLiteral("Ringvane"));
        EXPECT_EQ(text(notice, "app_icon"), callNoticeIcon());
        EXPECT_EQ(number(notice, "replaces_id"), 0);
        EXPECT_EQ(number(notice, "expire_timeout"), -1);
        EXPECT_EQ(notice[QLatin1String("hints")][QLatin1String("desktop-entry")].toString(),
                  QStringLiteral("ringvane"));
        // Actions only where the service offers them.
        const QStringList actions{QStringLiteral("default"), QStringLiteral("Show Ringvane")};
        EXPECT_EQ(notice[QLatin1String("actions")].toVariant().toStringList(),
                  c.capabilities.contains(QStringLiteral("actions")) ? actions : QStringList());
    }
}

// A call hung up on is worth a glance, not an interruption: its notice asks for low urgency.
TEST(DesktopNotices, ACallHungUpOnIsNoticedQuietly)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}})) << qPrintable(bus.failure());
    CallNotifier notifier(true, on(bus));
    Call blocked = call(QStringLiteral("08005550000"));
    blocked.blocked = true;
    CallerShown shown;
    shown.number = QStringLiteral("0800 555 0000");
    shown.unwanted = QStringLiteral("on the block list (0800*)");
    shown.blocked = true;
    notifier.notify(blocked, shown);
    ASSERT_TRUE(waitForNotices(bus, 1));
    runEventsFor(300); // the next call is not part of a flood
    notifier.notify(call(QStringLiteral("5551234")));
    ASSERT_TRUE(waitForNotices(bus, 2));

    const QJsonValue quiet = bus.notices().at(0);
    EXPECT_EQ(text(quiet, "summary"), QStringLiteral("Blocked: 0800 555 0000"));
    EXPECT_EQ(text(quiet, "body"), u"On the block list (0800*)\n"_qs + kOct13);
    EXPECT_EQ(quiet[QLatin1String("hints")][QLatin1String("urgency")].toInt(-1), 0);
    EXPECT_FALSE(bus.notices().at(1)[QLatin1String("hints")].toObject().contains(u"urgency"_qs));
}

// From the line's text to the desktop: a caller in the phonebook is named by it, the number
// written as a British user writes it; a caller nobody named says where the number is from.
TEST(DesktopNotices, NameTheContactOrSayWhereAnUnknownCallerIsFrom)
{
    LocaleScope locale("en_GB.UTF-8");
    const struct
    {
        const char *what;
        const char *number; // as the line sends it
        const char *name;
        const char *summary;
        const char *firstLine; // of the body, before the moment
    } cases[] = {
        {"a contact", "02079460958", "", "Mum", "020 7946 0958"},
        {"a contact, dialled from abroad", "00442079460958", "", "Mum", "020 7946 0958"},
        {"a contact the line names otherwise", "02079460958", "J SMITH", "Mum",
         "020 7946 0958\nJ SMITH"},
        {"a range", "08001234567", "", "Freephone", "0800 123 4567"},
        {"unknown in London", "02079460000", "", "020 7946 0000", "London"},
        {"unknown abroad", "00493012345678", "", "+49 30 12345678", "Berlin"},
        {"unknown, named by the line: no place", "02079460000", "ACME", "020 7946 0000", "ACME"},
    };

    OdbcSandbox::instance().resetCallLog();
    QTemporaryDir spool;
    ASSERT_TRUE(spool.isValid());
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}})) << qPrintable(bus.failure());
    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    CallPipeline pipeline(clock);
    pipeline.dateSeparator() = QStringLiteral("/");
    pipeline.timeSeparator() = QStringLiteral(":");
    CallRecorder::Options options;
    options.spoolFolder = spool.filePath(QStringLiteral("spool"));
    options.spoolKey = QStringLiteral("CallerID-notices");
    pipeline.start(false, options);
    pipeline.startCallers(QStringLiteral("GB"), [] {
        return Result<CallerBook::Entries>(
            CallerBook::Entries{{QStringLiteral("+44 20 7946 0958"), QStringLiteral("Mum")},
                                {QStringLiteral("0800*"), QStringLiteral("Freephone")}});
    });
    bool read = false;
    QObject::connect(pipeline.callers(), &CallerBook::changed, [&] { read = true; });
    ASSERT_TRUE(waitFor([&] { return read; }));
    pipeline.startOutlets(true, {}, on(bus));

    qsizetype sent = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        // Apart by more than the flood gap: each call has a notice of its own.
        runEventsFor(300);
        pipeline.receive(
            QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = ") + QString::fromUtf8(c.number) +
            (*c.name ? QStringLiteral("\r\nNAME = ") + QString::fromUtf8(c.name) : QString()) +
            QStringLiteral("\r\n\r\n"));
        ASSERT_TRUE(waitForNotices(bus, ++sent));
        const QJsonValue notice = bus.notices().last();
        EXPECT_EQ(text(notice, "summary"), QString::fromUtf8(c.summary));
        EXPECT_EQ(text(notice, "body"), QString::fromUtf8(c.firstLine) + u'\n' + kOct13British);
        EXPECT_EQ(number(notice, "replaces_id"), 0);
    }
}

TEST(DesktopNotices, SwitchedOffNeverTouchTheBus)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}})) << qPrintable(bus.failure());
    CallNotifier notifier(false, on(bus));
    notifier.notify(call(QStringLiteral("5551234")));
    runEventsFor(500);
    EXPECT_TRUE(bus.received().isEmpty()) << "not even a question to the service";
}

TEST(DesktopNotices, AFloodReplacesOneNoticeAndCountsTheCalls)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}})) << qPrintable(bus.failure());
    CallNotifier notifier(true, on(bus));

    for (int i = 0; i < 10; ++i)
        notifier.notify(call(QString::number(1000 + i)));
    ASSERT_TRUE(waitForNotices(bus, 2));
    runEventsFor(400);
    QJsonArray notices = bus.notices();
    ASSERT_EQ(notices.size(), 2);
    EXPECT_EQ(text(notices[0], "summary"), QStringLiteral("1000"));
    EXPECT_EQ(number(notices[0], "replaces_id"), 0);
    EXPECT_EQ(text(notices[1], "summary"), QStringLiteral("1009"));
    EXPECT_EQ(number(notices[1], "replaces_id"), number(notices[0], "id"));
    EXPECT_EQ(text(notices[1], "body"), kOct13 + QStringLiteral("\nLatest of 10 calls"));

    // A call after a quiet spell has a notice of its own, which stays.
    notifier.notify(call(QStringLiteral("2000")));
    ASSERT_TRUE(waitForNotices(bus, 3));
    notices = bus.notices();
    EXPECT_EQ(number(notices[2], "replaces_id"), 0);
    EXPECT_EQ(text(notices[2], "body"), kOct13);

    // A steady stream, a call every 40 ms: never more than one notice per 250 ms.
    runEventsFor(400);
    int sent = 0;
    QTimer stream;
    QObject::connect(&stream, &QTimer::timeout, [&] {
        notifier.notify(call(QString::number(3000 + sent)));
        if (++sent == 25)
            stream.stop();
    });
    QElapsedTimer clock;
    clock.start();
    stream.start(40);
    ASSERT_TRUE(waitFor([&] { return sent == 25; }, 20000));
    const qint64 elapsed = clock.elapsed();
    runEventsFor(600);
    notices = bus.notices();
    const qsizetype streamNotices = notices.size() - 3;
    EXPECT_GE(streamNotices, 2);
    EXPECT_LE(streamNotices, elapsed / 250 + 2) << elapsed << " ms";
    EXPECT_EQ(text(notices.last(), "summary"), QStringLiteral("3024"));
    EXPECT_TRUE(text(notices.last(), "body").contains(QStringLiteral(" calls")));
}

TEST(DesktopNotices, AServiceThatNeverAnswersIsGivenUpAfterFiveSeconds)
{
    const struct
    {
        const char *what;
        QStringList neverAnswer;
        qsizetype noticesSent;
    } cases[] = {
        {"hung from the start", {QStringLiteral("GetCapabilities"), QStringLiteral("Notify")}, 0},
        {"hung on the notice", {QStringLiteral("Notify")}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PrivateSessionBus bus;
        ASSERT_TRUE(bus.startNotificationService({kFullService, c.neverAnswer}))
            << qPrintable(bus.failure());

        QElapsedTimer clock;
        clock.start();
        CallNotifier notifier(true, on(bus));
        QSignalSpy unavailable(&notifier, &CallNotifier::unavailable);
        runEventsFor(100);
        QElapsedTimer callTime;
        callTime.start();
        notifier.notify(call(QStringLiteral("5551234")));
        // A call that waited for the hung service would block for its 5 s or more.
        EXPECT_LT(callTime.elapsed(), 1000);

        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        ASSERT_TRUE(waitFor([&] { return !unavailable.isEmpty(); }, 15000));
        const qint64 elapsed = clock.elapsed();
        EXPECT_GE(elapsed, 4500);
        EXPECT_LE(elapsed, 9000);
        EXPECT_GE(ticks, 30) << "the event loop ran on meanwhile";
        EXPECT_EQ(unavailable.at(0).at(0).toString(), kNoAnswer);

        notifier.notify(call(QStringLiteral("5551235")));
        runEventsFor(500);
        EXPECT_EQ(unavailable.size(), 1);
        EXPECT_EQ(bus.notices().size(), c.noticesSent);
    }
}

TEST(DesktopNotices, NoServiceOrNoSessionBusIsSaidOnce)
{
    const struct
    {
        bool privateBus; // else the test environment's bus address, where nothing listens
        const char *says;
    } cases[] = {
        {true, "Desktop notifications are not available: no notification service on the "
               "session bus"},
        {false, "Desktop notifications are not available: no session bus"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.says);
        std::optional<PrivateSessionBus> bus;
        if (c.privateBus)
            bus.emplace();
        ASSERT_TRUE(!bus || bus->isRunning()) << qPrintable(bus->failure());
        CallNotifier notifier(true, bus ? on(*bus)
                                        : CallNotifier::ServiceMaker(makeDesktopNotifications));
        QSignalSpy unavailable(&notifier, &CallNotifier::unavailable);
        EXPECT_TRUE(unavailable.isEmpty()) << "said from the event loop, once connected";
        notifier.notify(call(QStringLiteral("5551234")));
        ASSERT_TRUE(waitFor([&] { return !unavailable.isEmpty(); }, 10000));
        // What follows " (" is the bus's own detail.
        EXPECT_EQ(unavailable.at(0).at(0).toString().section(QStringLiteral(" ("), 0, 0),
                  QString::fromUtf8(c.says));
        notifier.notify(call(QStringLiteral("5551235")));
        runEventsFor(300);
        EXPECT_EQ(unavailable.size(), 1);
    }
}

TEST(DesktopNotices, AServiceStartedOnDemandGetsTheFirstCall)
{
    PrivateSessionBus bus(PrivateSessionBus::Service{kFullService, {}});
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    EXPECT_FALSE(bus.serviceRunning());

    CallNotifier notifier(true, on(bus));
    QSignalSpy unavailable(&notifier, &CallNotifier::unavailable);
    notifier.notify(call(QStringLiteral("5551234"), QStringLiteral("FIRST")));
    ASSERT_TRUE(waitForNotices(bus, 1)) << "unavailable: " << unavailable.size();
    EXPECT_TRUE(bus.serviceRunning());
    EXPECT_EQ(text(bus.notices().at(0), "body"), QStringLiteral("FIRST\n") + kOct13);
    EXPECT_TRUE(unavailable.isEmpty());
}

TEST(NotificationClient, FollowsItsNoticesByTheIdsTheServiceGave)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}})) << qPrintable(bus.failure());
    FreedesktopNotifications client(bus.connect());
    QSignalSpy closed(&client, &DesktopNotifications::closed);
    const auto notice = [](const char *summary) {
        DesktopNotice n;
        n.appName = QStringLiteral("Ringvane");
        n.summary = QString::fromUtf8(summary);
        return n;
    };

    client.show(notice("X"));
    ASSERT_TRUE(waitForNotices(bus, 1));
    EXPECT_EQ(client.capabilities(), kFullService);

    // B and C are handed over before the service has answered A: C alone follows.
    const int handle = client.show(notice("A"));
    EXPECT_EQ(client.show(notice("B"), handle), handle);
    EXPECT_EQ(client.show(notice("C"), handle), handle);
    ASSERT_TRUE(waitForNotices(bus, 3));
    runEventsFor(300);
    QJsonArray notices = bus.notices();
    ASSERT_EQ(notices.size(), 3);
    EXPECT_EQ(text(notices[1], "summary"), QStringLiteral("A"));
    EXPECT_EQ(text(notices[2], "summary"), QStringLiteral("C"));
    EXPECT_EQ(number(notices[2], "replaces_id"), number(notices[1], "id"));

    // Only the default action on one of ours activates it. Signals come in order: once the
    // last has arrived the others were looked at.
    QSignalSpy activated(&client, &DesktopNotifications::activated);
    const uint id = uint(number(notices[2], "id"));
    bus.invokeAction(id + 100, QStringLiteral("default")); // another program's notice
    bus.invokeAction(id, QStringLiteral("reply"));
    bus.invokeAction(id, QStringLiteral("default"));
    ASSERT_TRUE(waitFor([&] { return !activated.isEmpty(); }, 10000));
    runEventsFor(200);
    EXPECT_EQ(activated.size(), 1);
    EXPECT_EQ(activated.at(0).at(0).toInt(), handle);

    // Once the desktop has closed it, the handle shows a new notice.
    bus.closeNotice(id);
    ASSERT_TRUE(waitFor([&] { return !closed.isEmpty(); }, 10000));
    EXPECT_EQ(closed.at(0).at(0).toInt(), handle);
    client.show(notice("D"), handle);
    ASSERT_TRUE(waitForNotices(bus, 4));
    EXPECT_EQ(number(bus.notices()[3], "replaces_id"), 0);
}
