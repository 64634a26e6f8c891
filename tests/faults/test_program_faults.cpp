// Faults against the real program, started as a user starts it (offscreen) with its own
// registry file, ODBC file and data folder, and watched only from outside: the process,
// what the simulated modem receives and the rows in the SQLite file.
#include "tests/support/TestHelpers.h"
#include "tools/linesim/LineSimulator.h"
#include "tests/support/SqliteLock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

class ProgramFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(modem->isValid()) << modem->errorString().toStdString();
        // Registered through a symlink, so a modem that went away can come back there.
        ASSERT_TRUE(modem->linkTo(path(QStringLiteral("modem"))));
        QFile file(path(QStringLiteral("registry.reg")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(simulatedModemRegistry(path(QStringLiteral("modem"))).toUtf8());
    }

    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QString path(const QString &name) const { return dir.filePath(name); }
    QString database() const { return path(QStringLiteral("data/ringvane/calllog.db")); }

    QProcessEnvironment environment() const { return programEnvironment(dir.path()); }

    // Sets up the call log, starts the program and waits until the modem is told to report.
    void startProgram()
    {
        QProcess setup;
        setup.setProcessEnvironment(environment());
        setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
        ASSERT_TRUE(setup.waitForFinished(30000));
        ASSERT_EQ(setup.exitCode(), 0) << setup.readAllStandardError().toStdString();

        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(RINGVANE_PROGRAM), {});
        ASSERT_TRUE(process.waitForStarted(10000));
        ASSERT_TRUE(waitFor([&] { return modem->commands().size() >= 3; }));
    }

    QString sqlite(const QString &sql) const { return sqliteQuery(database(), sql); }

    QStringList numbers() const
    {
        return sqlite(QStringLiteral("select number from IDList order by rowid"))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // What the program's spools (its state folder) hold.
    QByteArray spoolBytes() const
    {
        QByteArray bytes;
        const QDir spools(path(QStringLiteral("state/ringvane")));
        for (const QFileInfo &file : spools.entryInfoList(QDir::Files)) {
            QFile spool(file.filePath());
            if (spool.open(QIODevice::ReadOnly))
                bytes += spool.readAll();
        }
        return bytes;
    }
    qint64 spooled() const { return spoolBytes().size(); }

    // The program once more, on the same files; until the modem is told to report again.
    void restartProgram()
    {
        const qsizetype told = modem->commands().size();
        process.start(QStringLiteral(RINGVANE_PROGRAM), {});
        ASSERT_TRUE(process.waitForStarted(10000));
        ASSERT_TRUE(waitFor([&] { return modem->commands().size() >= told + 3; }));
    }

    bool stillRunningAfter(int ms) const { return ::stillRunningAfter(process, ms); }

    void endWithSigterm()
    {
        ::kill(pid_t(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }

    QTemporaryDir dir;
    std::unique_ptr<LineSimulator> modem = std::make_unique<LineSimulator>();
    QProcess process;
};

} // namespace

TEST_F(ProgramFaults, AModemThatGoesAwayAndComesBackIsMonitoredAgainByItself)
{
    startProgram();
    modem->closeMaster();
    EXPECT_TRUE(stillRunningAfter(1500));

    // Back at the same place: monitoring resumes without the user, and calls are stored.
    modem = std::make_unique<LineSimulator>();
    ASSERT_TRUE(modem->linkTo(path(QStringLiteral("modem"))));
    ASSERT_TRUE(waitFor([&] { return modem->commands().size() >= 3; }, 10000));
    modem->send(reportBytes("5550177"));
    ASSERT_TRUE(
        waitFor([&] { return sqlite(QStringLiteral("select count(*) from IDList")) == u"1"; }));
    EXPECT_EQ(sqlite(QStringLiteral("select number from IDList")), QStringLiteral("5550177"));
    endWithSigterm();
}

TEST_F(ProgramFaults, KilledInTheMiddleOfAFloodTheLogIsIntactAndKeepsEveryStoredCall)
{
    constexpr int kCalls = 10000;
    constexpr int kSeenBeforeKill = 500;
    startProgram();

    QByteArray flood;
    for (int i = 0; i < kCalls; ++i)
        flood += reportBytes(QByteArray::number(1000000 + i));
    modem->send(flood);

    int seen = 0;
    ASSERT_TRUE(waitFor([&] {
        seen = sqlite(QStringLiteral("select count(*) from IDList")).toInt();
        return seen >= kSeenBeforeKill;
    }, 60000)) << seen << " rows stored";
    ::kill(pid_t(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(sqlite(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    const QStringList numbers = sqlite(QStringLiteral("select number from IDList order by rowid"))
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(numbers.size(), seen) << "a call seen stored before the kill is gone";
    EXPECT_LT(numbers.size(), kCalls) << "the kill came after the flood was stored";
    // The stored calls are the first ones sent, in order, none missing and none twice.
    for (int i = 0; i < numbers.size(); ++i)
        ASSERT_EQ(numbers[i], QString::number(1000000 + i)) << "row " << i;
}

TEST_F(ProgramFaults, HostileCallerTextIsStoredLiterallyAndNothingCrashes)
{
    startProgram();
    const QList<QByteArray> hostile{
        "'); DROP TABLE IDLIST; --",
        "\"<B>&AMP;</B><SCRIPT>ALERT(1)</SCRIPT>",
        "A\x01\x07\x1B[31MB\tC\x7F",
        "\xC3\x28\xFF\xFE\xED\xA0\x80%S%N",
    };
    for (const QByteArray &number : hostile)
        modem->send(reportBytes(number));
    // A 64 KB line makes no call; the report after it still does.
    modem->send("DATE = 1013\r\nTIME = 1425\r\nNMBR = " + QByteArray(64 * 1024, '7') + "\r\n");
    modem->send(reportBytes("5550101"));

    const int expected = int(hostile.size()) + 1;
    ASSERT_TRUE(waitFor([&] {
        return sqlite(QStringLiteral("select count(*) from IDList")).toInt() >= expected;
    })) << sqlite(QStringLiteral("select count(*) from IDList")).toStdString();
    EXPECT_TRUE(stillRunningAfter(500));

    QStringList want;
    for (const QByteArray &number : hostile)
        want << QString::fromLatin1(QString::fromUtf8(number).toUpper().toUtf8().toHex().toUpper());
    want << QString::fromLatin1(QByteArray("5550101").toHex().toUpper());
    EXPECT_EQ(sqlite(QStringLiteral("select hex(number) from IDList order by rowid"))
                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              want);
    endWithSigterm();
}

TEST_F(ProgramFaults, CallsWaitingWhenTheProgramIsKilledAreStoredAtTheNextStart)
{
    startProgram();
    SqliteLock lock(database());
    ASSERT_TRUE(lock.held());
    modem->send(reportBytes("5550500"));
    modem->send(reportBytes("5550501"));
    // Each call is kept once its report has closed: the second one's by the hold's end.
    ASSERT_TRUE(waitFor([&] { return spoolBytes().contains("5550501"); }, 20000))
        << "the calls were never kept";
    ::kill(pid_t(process.processId()), SIGKILL);
    ASSERT_TRUE(process.waitForFinished(10000));
    lock.release();
    EXPECT_TRUE(numbers().isEmpty());

    restartProgram();
    ASSERT_TRUE(waitFor([&] { return numbers().size() >= 2; })) << numbers().join(u',').toStdString();
    EXPECT_TRUE(stillRunningAfter(500));
    EXPECT_EQ(numbers(), (QStringList{QStringLiteral("5550500"), QStringLiteral("5550501")}));
    endWithSigterm();
}

TEST_F(ProgramFaults, CallsAfterTheLogFileWasDeletedGoIntoTheFileMadeAgain)
{
    startProgram();
    modem->send(reportBytes("5550400"));
    ASSERT_TRUE(waitFor([&] { return numbers().size() == 1; }));
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(database() + QLatin1String(suffix));

    modem->send(reportBytes("5550401"));
    modem->send(reportBytes("5550402"));
    // Nothing goes into the deleted file: the calls wait until there is a log again.
    ASSERT_TRUE(waitFor([&] { return spooled() > 0; }, 20000)) << "the calls were never kept";

    // Made again by the setup command, as a new log is made.
    QProcess setup;
    setup.setProcessEnvironment(environment());
    setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
    ASSERT_TRUE(setup.waitForFinished(30000));
    ASSERT_EQ(setup.exitCode(), 0) << setup.readAllStandardError().toStdString();

    // Within the writer's back-off, which has grown while the file was missing.
    ASSERT_TRUE(waitFor([&] { return numbers().size() >= 2; }, 45000));
    EXPECT_TRUE(stillRunningAfter(300));
    EXPECT_EQ(numbers(), (QStringList{QStringLiteral("5550401"), QStringLiteral("5550402")}));
    endWithSigterm();
}
