#include "tests/support/TestHelpers.h"
#include "modem/CommandOutput.h"
#include "failure/Failure.h"
#include "tests/support/LocaleScope.h"
#include "tests/serial/SimThread.h"
#include "platform/linux/TtyComm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr short SimPort = 4;

// A pseudo-terminal keeps the speed and the stop bits it is given; it is always 8 bits
// without parity, whatever it is told.
QString speedAndStopBits(SimThread &sim)
{
    const QStringList fields = sim.call([](LineSimulator &s) { return s.lineSettings(); }).split(u',');
    return fields.value(0) + u',' + fields.value(3);
}

// Records every OnComm delivery and whether a member of the component was running then.
struct EventLog
{
    explicit EventLog(TtyComm &comm) : m_comm(comm)
    {
        QObject::connect(&comm, &Comm::OnComm, &comm, [this] {
            kinds.append(m_comm.CommEvent());
            if (insideMember)
                deliveredInsideMember = true;
            if (m_comm.CommEvent() == Comm::EventReceive)
                text += m_comm.Input();
        });
    }
    int count(short kind) const { return static_cast<int>(kinds.count(kind)); }

    TtyComm &m_comm;
    QList<short> kinds;
    QString text;
    bool insideMember = false;
    bool deliveredInsideMember = false;
};

class TtyCommTest : public ::testing::Test
{
protected:
    TtyCommTest()
        : comm([this](int port) { return port == SimPort ? sim.path() : devices.value(port); })
    {
    }

    void openOnSim(const QString &settings = QStringLiteral("9600,N,8,1"))
    {
        comm.setSettings(settings);
        comm.setCommPort(SimPort);
        comm.setPortOpen(true);
        ASSERT_TRUE(comm.PortOpen());
    }

    LocaleScope locale{"C.UTF-8"};
    SimThread sim;
    QMap<int, QString> devices;
    TtyComm comm;
};

TEST_F(TtyCommTest, OpensWithItsSettingsAndTalksToTheModem)
{
    openOnSim(QStringLiteral("19200,E,7,2"));
    EXPECT_EQ(speedAndStopBits(sim), QStringLiteral("19200,2"));

    EventLog log(comm);
    CommandOutput(comm).sendCommand(QStringLiteral("ats0=0\r"));
    ASSERT_TRUE(eventually([&] { return log.text.contains(QLatin1String("OK")); }));
    EXPECT_EQ(sim.commands(), QStringList{QStringLiteral("ats0=0")});
    EXPECT_EQ(log.text, QStringLiteral("ats0=0\r\r\nOK\r\n"));

    comm.setPortOpen(false);
    EXPECT_FALSE(comm.PortOpen());
}

TEST_F(TtyCommTest, SettingsChangeTheOpenLine)
{
    openOnSim();
    comm.setSettings(QStringLiteral("2400,o,8,2"));
    EXPECT_EQ(speedAndStopBits(sim), QStringLiteral("2400,2"));
    EXPECT_EQ(comm.Settings(), QStringLiteral("2400,o,8,2"));
    EXPECT_EQ(failureNumber([&] { comm.setCommPort(2); }), ErrorNumber::PortOpenNotValid);
    EXPECT_EQ(comm.CommPort(), SimPort);
}

TEST_F(TtyCommTest, RefusedSettingsKeepThePreviousOnes)
{
    openOnSim(QStringLiteral("4800,S,8,2"));
    for (const char *text : {"9600,N,8,1.5", "9600,N,8,1,5", "9600,X,8,1", "fast,N,8,1", "0,N,8,1",
                             "9600,N,9,1", "9600,N,4,1", "9600,N,8,3", "9600,N,8", "", "9600,NN,8,1"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(failureNumber([&] { comm.setSettings(QString::fromLatin1(text)); }),
                  ErrorNumber::InvalidPropertyValue);
        EXPECT_EQ(comm.Settings(), QStringLiteral("4800,S,8,2"));
        EXPECT_EQ(speedAndStopBits(sim), QStringLiteral("4800,2"));
    }
}

TEST_F(TtyCommTest, ASecondOpenerIsRefusedUntilTheFirstLetsGo)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("modem"));
    ASSERT_TRUE(sim.call([&](LineSimulator &s) { return s.linkTo(link); }));
    openOnSim();

    // The same device under another name is still the same device.
    for (const QString &path : {sim.path(), link}) {
        TtyComm other([&](int) { return path; });
        EXPECT_EQ(failureNumber([&] { other.setPortOpen(true); }), ErrorNumber::PortAlreadyOpen)
            << path.toStdString();
        EXPECT_FALSE(other.PortOpen());
        EXPECT_FALSE(other.lastSystemReason().isEmpty());
        EXPECT_FALSE(other.lastFailureWasPermission());
    }

    comm.setPortOpen(false);
    TtyComm other([&](int) { return link; });
    other.setPortOpen(true);
    EXPECT_TRUE(other.PortOpen());
}

TEST_F(TtyCommTest, NoDeviceOrNoSerialDeviceIsAnInvalidPort)
{
    QTemporaryDir dir;
    QFile regular(dir.filePath(QStringLiteral("regular")));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    const struct
    {
        const char *what;
        QString path;
    } cases[] = {
        {"missing device", dir.filePath(QStringLiteral("ttyUSB9"))},
        {"missing directory", QStringLiteral("/dev/no/such/tty")},
        {"regular file", regular.fileName()},
        {"directory", dir.path()},
        {"not a terminal", QStringLiteral("/dev/null")},
        {"no device named", QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        devices[2] = c.path;
        comm.setCommPort(2);
        EXPECT_EQ(failureNumber([&] { comm.setPortOpen(true); }), ErrorNumber::InvalidPortNumber);
        EXPECT_FALSE(comm.PortOpen());
        EXPECT_FALSE(comm.lastSystemReason().isEmpty());
    }

    EXPECT_EQ(failureNumber([&] { comm.setCommPort(0); }), ErrorNumber::InvalidPortNumber);
    EXPECT_EQ(failureNumber([&] { comm.setCommPort(-3); }), ErrorNumber::InvalidPortNumber);
    EXPECT_EQ(comm.CommPort(), 2);
}

TEST_F(TtyCommTest, ADeviceWeMayNotOpenIsReportedAsSuch)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any device";
    const QString path = sim.path();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    comm.setCommPort(SimPort);
    EXPECT_EQ(failureNumber([&] { comm.setPortOpen(true); }), ErrorNumber::PortAlreadyOpen);
    EXPECT_TRUE(comm.lastFailureWasPermission());
    EXPECT_EQ(comm.lastSystemReason(), QStringLiteral("Permission denied"));
}

TEST_F(TtyCommTest, WhatWaitedBeforeOpeningIsDiscarded)
{
    sim.send("STALE\r\n");
    ASSERT_TRUE(eventually([&] { return !sim.sending(); }));
    openOnSim();
    EventLog log(comm);
    sim.send("FRESH\r\n");
    ASSERT_TRUE(eventually([&] { return log.text.contains(QLatin1String("FRESH\r\n")); }));
    EXPECT_EQ(log.text, QStringLiteral("FRESH\r\n"));
}

TEST_F(TtyCommTest, EventsWaitForTheEventLoopWhileOutputDrains)
{
    openOnSim();
    EventLog log(comm);
    const QString command = QStringLiteral("AT") + QString(3000, QLatin1Char('a')) + QLatin1Char('\r');

    // Blocks the loop the way SendCommand does; the modem echoes meanwhile.
    log.insideMember = true;
    comm.setOutput(command);
    QElapsedTimer clock;
    clock.start();
    while (comm.OutBufferCount() > 0)
        ASSERT_LT(clock.elapsed(), 20000);
    while (sim.received().size() < command.size())
        ASSERT_LT(clock.elapsed(), 20000);
    while (clock.elapsed() < 100)
        (void)comm.OutBufferCount();
    log.insideMember = false;

    ASSERT_TRUE(eventually([&] { return log.text.contains(QLatin1String("OK")); }))
        << log.text.size() << " " << qPrintable(log.text.right(20).toUtf8().toHex(' ')) << " sim got "
        << sim.received().size() << " " << qPrintable(sim.commands().join(u'|'));
    EXPECT_FALSE(log.deliveredInsideMember);
    EXPECT_GE(log.count(Comm::EventReceive), 1);
    EXPECT_TRUE(log.text.startsWith(command));
}

TEST_F(TtyCommTest, OutBufferCountFallsWithTheLoopBlocked)
{
    sim.call([](LineSimulator &s) { s.setEcho(false); });
    openOnSim();
    const QString data(200000, QLatin1Char('x'));
    comm.setOutput(data);
    EXPECT_GT(comm.OutBufferCount(), 0);
    QElapsedTimer clock;
    clock.start();
    while (comm.OutBufferCount() > 0)
        ASSERT_LT(clock.elapsed(), 30000);
    ASSERT_TRUE(eventually([&] { return sim.received().size() == data.size(); }));
}

TEST_F(TtyCommTest, OutputThatCannotLeaveEndsTheWaitWithAFailure)
{
    sim.call([](LineSimulator &s) { s.setHoldOutput(true); });
    openOnSim();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(failureNumber([&] {
                  CommandOutput(comm).sendCommand(QString(500000, QLatin1Char('x')));
              }),
              ErrorNumber::Timeout);
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_LT(clock.elapsed(), 15000);
    // Closing does not wait for the stuck output either.
    clock.restart();
    comm.setPortOpen(false);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(TtyCommTest, ACharacterSplitAcrossReadsIsDecodedWhole)
{
    const struct
    {
        const char *what;
        QList<QByteArray> pieces;
        QString expected;
    } cases[] = {
        {"two-byte", {"\xC3", "\xA9"}, QStringLiteral("\u00E9")},
        {"three-byte", {"\xE2\x82", "\xAC"}, QStringLiteral("\u20AC")},
        {"four-byte in three", {"\xF0", "\x9F\x98", "\x80"}, QString::fromUtf8("\xF0\x9F\x98\x80")},
        {"invalid bytes", {"A\xFF", "\xC3", "B"}, QStringLiteral("A\uFFFD\uFFFDB")},
        {"broken sequence, then text", {"\xE2\x82", "DATE"}, QStringLiteral("\uFFFD\uFFFDDATE")},
    };
    openOnSim();
    EventLog log(comm);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        log.text.clear();
        for (const QByteArray &piece : c.pieces) {
            const qsizetype before = log.kinds.size();
            sim.send(piece);
            ASSERT_TRUE(eventually([&] { return log.kinds.size() > before; }));
        }
        ASSERT_TRUE(eventually([&] { return log.text.size() >= c.expected.size(); }))
            << qPrintable(log.text.toUtf8().toHex(' '));
        EXPECT_EQ(log.text, c.expected);
    }
}

TEST_F(TtyCommTest, ADeviceThatGoesAwayClosesThePort)
{
    openOnSim();
    EventLog log(comm);
    sim.call([](LineSimulator &s) { s.closeMaster(); });
    ASSERT_TRUE(eventually([&] { return log.count(Comm::EventDeviceLost) == 1; }));
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_EQ(failureNumber([&] { comm.setOutput(QStringLiteral("AT\r")); }), ErrorNumber::PortNotOpen);
    EXPECT_EQ(comm.Input(), QString());
    EXPECT_EQ(comm.OutBufferCount(), 0);
    // No stream of further notices from a dead device.
    QTest::qWait(300);
    EXPECT_EQ(log.count(Comm::EventDeviceLost), 1);
}

TEST_F(TtyCommTest, APseudoTerminalReportsNoCarrier)
{
    openOnSim();
    EventLog log(comm);
    sim.send("RING\r\n");
    ASSERT_TRUE(eventually([&] { return log.text.contains(QLatin1String("RING")); }));
    QTest::qWait(600); // a few modem-line polls
    EXPECT_FALSE(comm.CDHolding());
    EXPECT_EQ(log.count(Comm::EventCarrierDetect), 0);
}

} // namespace
