// The call log on a PostgreSQL server that never answers: a port on loopback whose
// connections the system takes while nobody ever replies. The window keeps answering, the
// calls are kept, and the program still ends in time. The ODBC files of this process (and of
// the program it starts) name that port.
#include "tests/support/TestHelpers.h"
#include "tests/faults/WindowRig.h"
#include "tests/support/SilentServer.h"

#include "calllog/CallSpool.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// unixODBC reads its files once per process: written before the first ODBC call.
class SilentLogEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_NE(server.port(), 0);
        QFile driver(dir.filePath(QStringLiteral("odbcinst.ini")));
        ASSERT_TRUE(driver.open(QIODevice::WriteOnly));
        driver.write("[PostgreSQL Unicode]\nDriver=" + SilentServer::psqlDriver().toUtf8() + "\n");
        QFile ini(odbcIni());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[CallerID]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" +
                  QByteArray::number(server.port()) +
                  "\nDatabase=postgres\nUsername=ringvane\nSSLMode=disable\n"
                  "pqopt=connect_timeout=2\n");
        qputenv("ODBCSYSINI", dir.path().toUtf8());
        qputenv("ODBCINI", odbcIni().toUtf8());
    }

    QString odbcIni() const { return dir.filePath(QStringLiteral("odbc.ini")); }

    QTemporaryDir dir;
    SilentServer server;
};

auto *const kEnvironment = static_cast<SilentLogEnvironment *>(
    ::testing::AddGlobalTestEnvironment(new SilentLogEnvironment));

QList<SpooledCall> spooledCalls(const QString &folder)
{
    const auto spool = CallSpool::open(
        folder, CallSpool::dataSourceKey(kEnvironment->odbcIni(), QStringLiteral("CallerID")));
    EXPECT_TRUE(spool) << qPrintable(spool.errorString());
    return spool ? (*spool)->pending() : QList<SpooledCall>();
}

} // namespace

TEST(SilentLog, TheWindowKeepsAnsweringAndEndsInTimeWhileTheLogNeverAnswers)
{
    {
        WindowRig rig;
        ASSERT_TRUE(rig.linked);
        // Start-up's own open may wait for the driver's connect timeout; later nothing may.
        ASSERT_TRUE(rig.start());
        StallMeter meter;
        for (int i = 0; i < 3; ++i) {
            rig.sim->send(reportBytes(QByteArray::number(5550600 + i)));
            ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == i + 1; }, 2000));
            rig.window->brToday_Click();
            QTest::qWait(500);
        }
        ASSERT_TRUE(
            eventually([&] { return !rig.window->lstCID->item(2)->toolTip().isEmpty(); }, 15000));
        std::printf("longest event-loop stall with the log silent: %lld ms\n",
                    static_cast<long long>(meter.longestMs()));
        // A store on the window's thread would hang for the 5 s query limit or for ever.
        EXPECT_LE(meter.longestMs(), 1000) << "longest event-loop stall with the log silent";
        EXPECT_EQ(rig.window->lblTipForeColor(), 0x0000FFu);

        QElapsedTimer closing;
        closing.start();
        rig.window->btnClose_Click();
        rig.window->finishCalls(1500);
        std::printf("closed in %lld ms\n", static_cast<long long>(closing.elapsed()));
        // 1.5 s for the writer, then the spool; waiting for the store would take the 5 s limit.
        EXPECT_LT(closing.elapsed(), 4000) << "a close waits for no store";
    }
    const QList<SpooledCall> kept = spooledCalls(CallSpool::defaultFolder());
    ASSERT_EQ(kept.size(), 3);
    EXPECT_EQ(kept.at(2).call.number, QStringLiteral("5550602"));
}

TEST(SilentLog, SigtermEndsTheProgramWithinTwoSecondsAndKeepsItsCalls)
{
    QTemporaryDir dir;
    LineSimulator modem;
    ASSERT_TRUE(modem.isValid());
    QFile registry(dir.filePath(QStringLiteral("registry.reg")));
    ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
    registry.write(simulatedModemRegistry(modem.slavePath()).toUtf8());
    registry.close();

    QProcessEnvironment env = programEnvironment(dir.path());
    env.insert(QStringLiteral("ODBCINI"), kEnvironment->odbcIni());
    env.insert(QStringLiteral("ODBCSYSINI"), kEnvironment->dir.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(RINGVANE_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return modem.commands().size() >= 3; }, 30000));

    modem.send(reportBytes("5550700"));
    modem.send(reportBytes("5550701"));
    waitFor([] { return false; }, 1000);
    QElapsedTimer ending;
    ending.start();
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(10000));
    std::printf("ended %lld ms after SIGTERM\n", static_cast<long long>(ending.elapsed()));
    EXPECT_LE(ending.elapsed(), 4000) << "the writer hanging in the log held the end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    const QList<SpooledCall> kept = spooledCalls(dir.filePath(QStringLiteral("state/ringvane")));
    ASSERT_EQ(kept.size(), 2) << "what was not committed is in the spool";
    EXPECT_EQ(kept.at(0).call.number, QStringLiteral("5550700"));
}
