#include "CallNotifier.h"
#include "DateServices.h"
#include "FreedesktopNotifications.h"
#include "PrivateSessionBus.h"
#include "ProgramOptions.h"
#include "TestHelpers.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QStringList kFullService{QStringLiteral("actions"), QStringLiteral("body-markup")};
const QString kOct13 = QStringLiteral("10/13/2002 14:25");
const QString kNoAnswer = QStringLiteral(
    "Desktop notifications are not available: the notification service did not answer "
    "within 5 seconds");

Call call(const QString &number, const QString &name = {})
{
    return {dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25)), number, name};
}

// The notices go to the private bus through a connection of their own.
CallNotifier::ServiceMaker on(PrivateSessionBus &bus, int *made = nullptr)
{
    return [&bus, made]() -> std::unique_ptr<DesktopNotifications> {
        if (made)
            ++*made;
        return std::make_unique<FreedesktopNotifications>(bus.connect());
    };
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

TEST(DesktopNotices, CarryTheCallTheProgramAndItsIcon)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}}));

    CallNotifier notifier(true, on(bus));
    notifier.notify(call(QStringLiteral("5551234"), QStringLiteral("JOHN SMITH")));
    ASSERT_TRUE(waitForNotices(bus, 1));

    const QJsonValue notice = bus.notices().at(0);
    EXPECT_EQ(text(notice, "app_name"), QStringLiteral("Ringvane"));
    EXPECT_EQ(text(notice, "summary"), QStringLiteral("5551234"));
    EXPECT_EQ(text(notice, "body"), QStringLiteral("JOHN SMITH\n") + kOct13);
    EXPECT_EQ(number(notice, "replaces_id"), 0);
    EXPECT_EQ(number(notice, "expire_timeout"), -1);
    EXPECT_EQ(notice[QLatin1String("actions")].toVariant().toStringList(),
              (QStringList{QStringLiteral("default"), QStringLiteral("Show Ringvane")}));
    EXPECT_EQ(notice[QLatin1String("hints")][QLatin1String("desktop-entry")].toString(),
              QStringLiteral("ringvane"));
    EXPECT_EQ(text(notice, "app_icon"), callNoticeIcon());
    EXPECT_FALSE(callNoticeIcon().isEmpty());
}

TEST(DesktopNotices, ShowMarkersInWordsAndNamesAsPlainText)
{
    const struct
    {
        const char *what;
        QStringList capabilities;
        const char *number;
        const char *name;
        const char *summary;
        const char *firstLine; // of the body; null when the body is the moment alone
        bool actions;
    } cases[] = {
        {"private", kFullService, "P", "", "Private number", nullptr, true},
        {"out of area", kFullService, "OUT-OF-AREA", "O", "Number unavailable", nullptr, true},
        {"tags escaped", kFullService, "5551234", "<b>x</b>", "5551234", "&lt;b&gt;x&lt;/b&gt;",
         true},
        {"entity escaped", kFullService, "5551234", "&amp;", "5551234", "&amp;amp;", true},
        {"quotes escaped", kFullService, "5551234", "JOHN \"JJ\" O'NEIL", "5551234",
         "JOHN &quot;JJ&quot; O'NEIL", true},
        {"summary never markup", kFullService, "<b>1</b>", "", "<b>1</b>", nullptr, true},
        {"a service without markup gets the text",
         {},
         "5551234",
         "<b>x</b> &amp;",
         "5551234",
         "<b>x</b> &amp;",
         false},
        {"a service with markup only",
         {QStringLiteral("body-markup")},
         "5551234",
         "A&B",
         "5551234",
         "A&amp;B",
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PrivateSessionBus bus;
        ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
        ASSERT_TRUE(bus.startNotificationService({c.capabilities, {}}));
        CallNotifier notifier(true, on(bus));
        notifier.notify(call(QString::fromUtf8(c.number), QString::fromUtf8(c.name)));
        ASSERT_TRUE(waitForNotices(bus, 1));

        const QJsonValue notice = bus.notices().at(0);
        EXPECT_EQ(text(notice, "summary"), QString::fromUtf8(c.summary));
        const QString body = c.firstLine ? QString::fromUtf8(c.firstLine) + u'\n' + kOct13 : kOct13;
        EXPECT_EQ(text(notice, "body"), body);
        EXPECT_EQ(notice[QLatin1String("actions")].toArray().isEmpty(), !c.actions);
    }
}

TEST(DesktopNotices, ClickingOneOfOursActivates)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}}));
    CallNotifier notifier(true, on(bus));
    QSignalSpy activated(&notifier, &CallNotifier::activated);
    notifier.notify(call(QStringLiteral("5551234")));
    ASSERT_TRUE(waitForNotices(bus, 1));
    const uint id = uint(number(bus.notices().at(0), "id"));

    // Signals come in order: once the last has arrived the others were looked at.
    bus.invokeAction(id + 100, QStringLiteral("default")); // another program's notice
    bus.invokeAction(id, QStringLiteral("reply"));
    bus.invokeAction(id, QStringLiteral("default"));
    ASSERT_TRUE(waitFor([&] { return activated.size() >= 1; }, 10000));
    runEventsFor(200);
    EXPECT_EQ(activated.size(), 1);
}

TEST(DesktopNotices, StayOffWhenTheUserSaysSo)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("ringvane.conf"));
    const struct
    {
        const char *what;
        QStringList arguments;
        QByteArray settingsText;
        bool expectNotice;
    } cases[] = {
        {"on by default", {}, "", true},
        {"the option", {QStringLiteral("--no-notifications")}, "", false},
        {"the settings file", {}, "[notifications]\nenabled=false\n", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(settings);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.settingsText);
        file.close();
        const ParsedProgramOptions parsed =
            parseProgramOptions(QStringList{QStringLiteral("ringvane")} + c.arguments, settings);
        ASSERT_EQ(parsed.outcome, ParsedProgramOptions::Outcome::Run);

        PrivateSessionBus bus;
        ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
        ASSERT_TRUE(bus.startNotificationService({kFullService, {}}));
        int made = 0;
        CallNotifier notifier(parsed.options.notifications, on(bus, &made));
        notifier.notify(call(QStringLiteral("5551234")));
        if (c.expectNotice) {
            EXPECT_TRUE(waitForNotices(bus, 1));
        } else {
            runEventsFor(500);
            EXPECT_EQ(made, 0);
            EXPECT_TRUE(bus.received().isEmpty()) << "not even a question to the service";
        }
    }
}

TEST(DesktopNotices, AFloodReplacesOneNoticeAndCountsTheCalls)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}}));
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
        ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
        ASSERT_TRUE(bus.startNotificationService({kFullService, c.neverAnswer}));

        QElapsedTimer clock;
        clock.start();
        CallNotifier notifier(true, on(bus));
        QSignalSpy unavailable(&notifier, &CallNotifier::unavailable);
        runEventsFor(100);
        QElapsedTimer callTime;
        callTime.start();
        notifier.notify(call(QStringLiteral("5551234")));
        EXPECT_LT(callTime.elapsed(), 100);

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

TEST(DesktopNotices, NoServiceOnTheBusIsSaidOnce)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    CallNotifier notifier(true, on(bus));
    QSignalSpy unavailable(&notifier, &CallNotifier::unavailable);
    notifier.notify(call(QStringLiteral("5551234")));
    ASSERT_TRUE(waitFor([&] { return !unavailable.isEmpty(); }, 10000));
    EXPECT_EQ(unavailable.at(0).at(0).toString(),
              QStringLiteral("Desktop notifications are not available: no notification service "
                             "on the session bus"));
    notifier.notify(call(QStringLiteral("5551235")));
    runEventsFor(300);
    EXPECT_EQ(unavailable.size(), 1);
}

TEST(DesktopNotices, NoSessionBusIsSaidOnce)
{
    // The test environment names a bus address where nothing listens.
    CallNotifier notifier;
    QSignalSpy unavailable(&notifier, &CallNotifier::unavailable);
    EXPECT_TRUE(unavailable.isEmpty()) << "said from the event loop, once connected";
    notifier.notify(call(QStringLiteral("5551234")));
    ASSERT_TRUE(waitFor([&] { return !unavailable.isEmpty(); }, 10000));
    EXPECT_TRUE(unavailable.at(0).at(0).toString().startsWith(
        QStringLiteral("Desktop notifications are not available: no session bus")))
        << qPrintable(unavailable.at(0).at(0).toString());
    notifier.notify(call(QStringLiteral("5551235")));
    runEventsFor(300);
    EXPECT_EQ(unavailable.size(), 1);
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

TEST(NotificationClient, AReplacementWaitsForTheIdOfItsNotice)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    ASSERT_TRUE(bus.startNotificationService({kFullService, {}}));
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

    // Once the desktop has closed it, the handle shows a new notice.
    bus.closeNotice(uint(number(notices[2], "id")));
    ASSERT_TRUE(waitFor([&] { return !closed.isEmpty(); }, 10000));
    EXPECT_EQ(closed.at(0).at(0).toInt(), handle);
    client.show(notice("D"), handle);
    ASSERT_TRUE(waitForNotices(bus, 4));
    EXPECT_EQ(number(bus.notices()[3], "replaces_id"), 0);
}
