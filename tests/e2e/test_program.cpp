#include "tests/support/TestHelpers.h"
#include "locale/DateServices.h"
#include "tools/linesim/LineSimulator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

namespace {

// One run of the real program with its own registry file, unixODBC files and data folder.
class Program : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(modem.isValid()) << modem.errorString().toStdString();
    }

    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    void writeRegistry(const QString &modems, const QString &portMap)
    {
        QFile file(path(QStringLiteral("registry.reg")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("REGEDIT4\n\n" + modems + "[HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm]\n" + portMap)
                       .toUtf8());
    }

    void createCallLog()
    {
        QProcess setup;
        setup.setProcessEnvironment(environment());
        setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
        ASSERT_TRUE(setup.waitForFinished(30000));
        ASSERT_EQ(setup.exitCode(), 0) << setup.readAllStandardError().toStdString();
    }

    QProcessEnvironment environment() const { return programEnvironment(dir.path()); }

    void startProgram()
    {
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(RINGVANE_PROGRAM), {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // The rows of the call log as "daynumber|number", read with the sqlite3 tool.
    QStringList rows() const
    {
        const QString db = path(QStringLiteral("data/ringvane/calllog.db"));
        if (!QFile::exists(db))
            return {};
        return sqliteQuery(db, QStringLiteral("select printf('%.6f', datetime) || '|' || number from IDList"))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    bool stillRunningAfter(int ms) const { return ::stillRunningAfter(process, ms); }

    QTemporaryDir dir;
    LineSimulator modem;
    QProcess process;
};

const QStringList kStartCommands{QStringLiteral("ATE1V1Q0"), QStringLiteral("ats0=0"),
                                 QStringLiteral("AT+VCID=1")};

// Whether the process catches the signal yet (its handler is installed).
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

} // namespace

TEST_F(Program, OpensTheModemWithItsCommandsAndLogsEveryReport)
{
    writeRegistry(simulatedModemKeys(QStringLiteral("0000"), QStringLiteral("Test modem"), QStringLiteral("COM5")),
                  serialPortMapLine(modem.slavePath(), QStringLiteral("COM5")));
    createCallLog();
    startProgram();
    ASSERT_TRUE(waitFor([&] { return modem.commands().size() >= 3; }));
    EXPECT_EQ(modem.commands().mid(0, 3), kStartCommands);

    const QDateTime when = dates::makeDateTime(QDate::currentDate().addDays(-1), QTime(14, 25));
    modem.sendReport(reportAt(when, QStringLiteral("5550123")));
    modem.sendReport(reportAt(when.addSecs(60), QStringLiteral("5550124")));
    ASSERT_TRUE(waitFor([&] { return rows().size() == 2; })) << rows().join(u',').toStdString();
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("%1|5550123").arg(dates::toDayNumber(when), 0, 'f', 6),
                                   QStringLiteral("%1|5550124").arg(dates::toDayNumber(when.addSecs(60)), 0, 'f', 6)}));
}

TEST_F(Program, RunsWithNoModemRegisteredAndOpensNothing)
{
    writeRegistry(QString(), QString());
    createCallLog();
    startProgram();
    EXPECT_TRUE(stillRunningAfter(2000));
    EXPECT_TRUE(modem.commands().isEmpty());
}

TEST_F(Program, WithoutTheDataSourceTheModemIsStillOpenedAndNothingStored)
{
    writeRegistry(simulatedModemKeys(QStringLiteral("0000"), QStringLiteral("Test modem"), QStringLiteral("COM5")),
                  serialPortMapLine(modem.slavePath(), QStringLiteral("COM5")));
    startProgram();
    ASSERT_TRUE(waitFor([&] { return modem.commands().size() >= 3; }));
    modem.sendReport(reportAt(dates::makeDateTime(QDate::currentDate(), QTime(9, 0)), QStringLiteral("5550123")));
    EXPECT_TRUE(stillRunningAfter(1500));
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(Program, OfTwoModemsTheFirstListedIsOpened)
{
    LineSimulator second;
    ASSERT_TRUE(second.isValid());
    writeRegistry(simulatedModemKeys(QStringLiteral("0001"), QStringLiteral("First"), QStringLiteral("COM7")) +
                      simulatedModemKeys(QStringLiteral("0000"), QStringLiteral("Second"), QStringLiteral("COM8")),
                  serialPortMapLine(modem.slavePath(), QStringLiteral("COM7")) + serialPortMapLine(second.slavePath(), QStringLiteral("COM8")));
    createCallLog();
    startProgram();
    ASSERT_TRUE(waitFor([&] { return modem.commands().size() >= 3; }));
    EXPECT_TRUE(stillRunningAfter(500));
    EXPECT_TRUE(second.commands().isEmpty());
}

TEST_F(Program, EndsOnSigtermAndFreesThePort)
{
    writeRegistry(simulatedModemKeys(QStringLiteral("0000"), QStringLiteral("Test modem"), QStringLiteral("COM5")),
                  serialPortMapLine(modem.slavePath(), QStringLiteral("COM5")));
    createCallLog();
    startProgram();
    ASSERT_TRUE(waitFor([&] { return modem.commands().size() >= 3; }));

    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);

    QSerialPort port(modem.slavePath());
    EXPECT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
}

// A termination signal at any moment of start-up (from the first line of the program's own
// code to the end of its start-up) ends it as after start-up: exit code 0, port released.
TEST_F(Program, ATerminationSignalAtAnyMomentOfStartUpEndsTheProgramCleanly)
{
    writeRegistry(simulatedModemKeys(QStringLiteral("0000"), QStringLiteral("Test modem"),
                                     QStringLiteral("COM5")),
                  serialPortMapLine(modem.slavePath(), QStringLiteral("COM5")));
    createCallLog();

    // Starts the program; returns once its handlers are in place.
    auto launch = [&](QProcess &p) {
        p.setProcessEnvironment(environment());
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(RINGVANE_PROGRAM), {});
        if (!p.waitForStarted(10000))
            return false;
        QDeadlineTimer deadline(10000);
        while (!catches(p.processId(), SIGTERM) || !catches(p.processId(), SIGINT)) {
            if (deadline.hasExpired() || p.state() == QProcess::NotRunning)
                return false;
            QThread::usleep(200);
        }
        return true;
    };

    // How long start-up takes here: until the modem has its three commands, and a margin
    // for listing the day and removing the splash window.
    qint64 startUpMs = 0;
    {
        QProcess p;
        ASSERT_TRUE(launch(p));
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(waitFor([&] { return modem.commands().size() >= 3; }));
        startUpMs = clock.elapsed() * 3 / 2;
        ::kill(pid_t(p.processId()), SIGTERM);
        ASSERT_TRUE(p.waitForFinished(10000));
        modem.clearReceived();
    }

    struct Moment
    {
        int signal;
        qint64 afterUs;
    };
    std::vector<Moment> moments;
    constexpr int kTermMoments = 20;
    for (int i = 0; i < kTermMoments; ++i)
        moments.push_back({SIGTERM, startUpMs * 1000 * i / (kTermMoments - 1)});
    for (int i = 0; i < 5; ++i)
        moments.push_back({SIGINT, startUpMs * 1000 * i / 4});

    for (const Moment &m : moments) {
        const std::string name = (m.signal == SIGTERM ? "SIGTERM after " : "SIGINT after ") +
                                 std::to_string(m.afterUs) + " us";
        QProcess p;
        ASSERT_TRUE(launch(p)) << name;
        QThread::usleep(static_cast<unsigned long>(m.afterUs));
        ::kill(pid_t(p.processId()), m.signal);
        ASSERT_TRUE(p.waitForFinished(10000)) << name << ": still running";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << name;
        EXPECT_EQ(p.exitCode(), 0) << name;

        QSerialPort port(modem.slavePath());
        EXPECT_TRUE(port.open(QIODevice::ReadWrite))
            << name << ": " << port.errorString().toStdString();
        port.close();
        QCoreApplication::processEvents(); // the simulator takes what reached it
        modem.clearReceived();
    }
}

TEST(ProgramHelp, IsPrintedWithoutADisplay)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(RINGVANE_PROGRAM), {QStringLiteral("--help")});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains("--feed <ADDRESS:PORT>"));
}
