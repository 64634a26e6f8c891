// bench_flood: 2,000 caller-ID reports (a RING, then date, time, number and name, as real
// lines send them) written back to back into the simulated modem's
// pseudo-terminal, and the real program (its own process, offscreen) taking them: the time
// from the first byte to the last row durably in the SQLite call log as the setup command
// writes it (write-ahead journal, full sync), against the same flood with the sync off,
// measured in the same run; the program's CPU time (all its threads) per call; and the disk
// syncs it asks for, counted by strace over a whole run.
#include "bench/support/BenchClock.h"
#include "bench/support/BenchFiles.h"
#include "platform/Database.h"
#include "tools/linesim/LineSimulatorThread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kRounds = 5;

void pause(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// CPU time of every thread of a process, in nanoseconds (the scheduler's own count, far
// finer than the ticks of /proc/PID/stat).
// By thread name ("ringvane" is the window's thread, "call writer" the writer's).
QHash<QString, qint64> processCpuNs(qint64 pid)
{
    QHash<QString, qint64> byThread;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        QFile comm(tasks.filePath(task) + QStringLiteral("/comm"));
        if (stat.open(QIODevice::ReadOnly) && comm.open(QIODevice::ReadOnly))
            byThread[QString::fromUtf8(comm.readAll().trimmed())] +=
                stat.readAll().split(' ').value(0).toLongLong();
    }
    return byThread;
}

qint64 total(const QHash<QString, qint64> &byThread)
{
    qint64 sum = 0;
    for (qint64 ns : byThread)
        sum += ns;
    return sum;
}

QByteArray flood(int calls)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray stamp = "DATE = " + now.toString(QStringLiteral("MMdd")).toLatin1() +
                             "\r\nTIME = " + now.toString(QStringLiteral("hhmm")).toLatin1() +
                             "\r\nNMBR = ";
    QByteArray bytes;
    for (int i = 0; i < calls; ++i)
        bytes += "RING\r\n\r\n" + stamp + QByteArray::number(5550000 + i) + "\r\nNAME = CALLER " +
                 QByteArray::number(i) + "\r\n\r\n";
    return bytes;
}

struct Run
{
    double wallMs = 0;
    double cpuUsPerCall = 0;
    double windowUsPerCall = 0;
    double writerUsPerCall = 0;
    int syncs = -1; // counted only under strace
};

// One start of the program with a fresh call log; the flood; the program ended again.
class Program
{
public:
    enum Sync { Full, Off };

    Program(LineSimulatorThread &modem, Sync sync, bool traced) : m_modem(modem), m_traced(traced)
    {
        if (!m_dir.isValid())
            throw std::runtime_error("no temporary folder");
        QFile registry(m_dir.filePath(QStringLiteral("registry.reg")));
        if (!registry.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the registry file");
        registry.write(simulatedModemRegistry(modem.path()).toUtf8());
        registry.close();

        QProcess setup;
        setup.setProcessEnvironment(environment());
        setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
        if (!setup.waitForFinished(60000) || setup.exitCode() != 0)
            throw std::runtime_error("the call log could not be set up");
        if (sync == Off) {
            QFile ini(m_dir.filePath(QStringLiteral("odbc.ini")));
            if (!ini.open(QIODevice::ReadOnly))
                throw std::runtime_error("no odbc.ini");
            QByteArray text = ini.readAll();
            ini.close();
            text.replace("SyncPragma=FULL", "SyncPragma=OFF");
            if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                ini.write(text) != text.size())
                throw std::runtime_error("cannot write odbc.ini");
        }
    }

    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString database() const { return m_dir.filePath(QStringLiteral("data/ringvane/calllog.db")); }

    Run flood(int calls)
    {
        start();
        db::Connection reader;
        reader.Open(
            QStringLiteral("DRIVER=%1;Database=%2;NoCreat=1;").arg(bench::sqliteDriverPath(), database()), {},
            {}, -1);
        const QByteArray bytes = ::flood(calls);

        const QHash<QString, qint64> cpuBefore = processCpuNs(programPid());
        const qint64 firstByte = bench::monotonicNs();
        m_modem.send(bytes);
        int stored = 0;
        const bool done = bench::waitFor(
            [&] {
                stored = rows(reader);
                return stored >= calls;
            },
            120000);
        const qint64 lastRow = bench::monotonicNs();
        const QHash<QString, qint64> cpuAfter = processCpuNs(programPid());
        if (!done)
            throw std::runtime_error("only " + std::to_string(stored) +
                                     " of the calls were stored");

        Run run;
        run.wallMs = double(lastRow - firstByte) / 1e6;
        run.cpuUsPerCall = double(total(cpuAfter) - total(cpuBefore)) / 1e3 / calls;
        const QString window = QStringLiteral("ringvane");
        const QString writer = QStringLiteral("call writer");
        run.windowUsPerCall =
            double(cpuAfter.value(window) - cpuBefore.value(window)) / 1e3 / calls;
        run.writerUsPerCall =
            double(cpuAfter.value(writer) - cpuBefore.value(writer)) / 1e3 / calls;
        stop();
        if (m_traced)
            run.syncs = tracedSyncs();
        return run;
    }

    // Lone calls a while apart: from the report's last byte to its row committed and synced,
    // in milliseconds.
    QList<double> loneCalls(int calls)
    {
        start();
        db::Connection reader;
        reader.Open(
            QStringLiteral("DRIVER=%1;Database=%2;NoCreat=1;").arg(bench::sqliteDriverPath(), database()), {},
            {}, -1);
        QList<double> latencies;
        for (int i = 0; i < calls; ++i) {
            const QByteArray report =
                ::flood(1).replace("5550000", QByteArray::number(5560000 + i));
            const qint64 sent = bench::monotonicNs();
            m_modem.send(report);
            if (!bench::waitFor([&] { return rows(reader) > i; }, 10000))
                throw std::runtime_error("a lone call was not stored");
            latencies << double(bench::monotonicNs() - sent) / 1e6;
            pause(100);
        }
        stop();
        return latencies;
    }

private:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("RINGVANE_REGISTRY"),
                   m_dir.filePath(QStringLiteral("registry.reg")));
        env.insert(QStringLiteral("ODBCINI"), m_dir.filePath(QStringLiteral("odbc.ini")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_dir.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        return env;
    }


    static int rows(db::Connection &reader)
    {
        db::Recordset rs;
        rs.Open(QStringLiteral("select count(*) from IDList"), reader, db::CursorType::ForwardOnly,
                db::LockType::ReadOnly, db::CommandOption::Text);
        return rs.Eof() ? 0 : rs.Fields(0).Value().toInt();
    }

    void start()
    {
        const qsizetype before = m_modem.commands().size();
        m_process.setProcessEnvironment(environment());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (m_traced) {
            m_process.start(QStringLiteral("strace"),
                            {QStringLiteral("-f"), QStringLiteral("-c"),
                             QStringLiteral("--seccomp-bpf"), QStringLiteral("-e"),
                             QStringLiteral("trace=fsync,fdatasync"), QStringLiteral("-o"),
                             m_dir.filePath(QStringLiteral("strace.txt")),
                             QStringLiteral(RINGVANE_PROGRAM)});
        } else {
            m_process.start(QStringLiteral(RINGVANE_PROGRAM), {});
        }
        if (!m_process.waitForStarted(10000))
            throw std::runtime_error("the program did not start");
        if (!bench::waitFor([&] { return m_modem.commands().size() >= before + 3; }, 30000))
            throw std::runtime_error("the modem was not opened");
        pause(500); // start-up done, today's (empty) day listed
    }

    // The program itself; under strace, strace's child.
    qint64 programPid() const
    {
        const qint64 pid = m_process.processId();
        if (!m_traced)
            return pid;
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
        if (children.open(QIODevice::ReadOnly))
            return children.readAll().trimmed().split(' ').value(0).toLongLong();
        return pid;
    }

    void stop()
    {
        ::kill(pid_t(programPid()), SIGTERM);
        if (!m_process.waitForFinished(20000))
            throw std::runtime_error("the program did not end on SIGTERM");
    }

    // fsync plus fdatasync calls of the whole run, start-up and ending included.
    int tracedSyncs() const
    {
        QFile summary(m_dir.filePath(QStringLiteral("strace.txt")));
        if (!summary.open(QIODevice::ReadOnly))
            throw std::runtime_error("strace wrote no summary");
        int syncs = 0;
        static const QRegularExpression row(QStringLiteral(
            "^\\s*[\\d.]+\\s+[\\d.]+\\s+\\d+\\s+(\\d+)\\s+(?:\\d+\\s+)?(fsync|fdatasync)\\s*$"));
        for (const QByteArray &line : summary.readAll().split('\n')) {
            const QRegularExpressionMatch match = row.match(QString::fromUtf8(line));
            if (match.hasMatch())
                syncs += match.captured(1).toInt();
        }
        return syncs;
    }

    LineSimulatorThread &m_modem; // keeps writing while this thread polls the log
    bool m_traced;
    QTemporaryDir m_dir;
    QProcess m_process;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int calls = argc > 1 ? qMax(10, atoi(argv[1])) : 2000;
    try {
        LineSimulatorThread modem;
        QList<double> fullWall, offWall, fullCpu, offCpu, windowCpu, writerCpu;
        for (int round = 0; round < kRounds; ++round) {
            for (const Program::Sync sync : {Program::Full, Program::Off}) {
                Program program(modem, sync, false);
                const Run run = program.flood(calls);
                (sync == Program::Full ? fullWall : offWall) << run.wallMs;
                (sync == Program::Full ? fullCpu : offCpu) << run.cpuUsPerCall;
                if (sync == Program::Full) {
                    windowCpu << run.windowUsPerCall;
                    writerCpu << run.writerUsPerCall;
                }
            }
        }
        QList<double> lone;
        {
            Program program(modem, Program::Full, false);
            lone = program.loneCalls(30);
        }
        std::optional<Run> traced;
        if (!QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty()) {
            Program program(modem, Program::Full, true);
            traced = program.flood(calls);
        }

        const double wallFull = bench::median(fullWall);
        const double wallOff = bench::median(offWall);
        const double cpu = bench::median(fullCpu);
        std::printf("flood: %d reports back to back into the pseudo-terminal, the real program, "
                    "SQLite log as set up (WAL, full sync); medians of %d runs\n",
                    calls, kRounds);
        std::printf("flood first byte to last row stored: full sync %.1f ms, sync off %.1f ms; "
                    "ratio %.2f (goal <= 1.3) %s\n",
                    wallFull, wallOff, wallFull / wallOff,
                    wallFull / wallOff <= 1.3 ? "MET" : "NOT MET");
        std::printf(
            "flood program CPU time, all threads: %.1f us/call with full sync, %.1f us/call "
            "with sync off (goal <= 30) %s\n",
            cpu, bench::median(offCpu), cpu <= 30 ? "MET" : "NOT MET");
        std::printf("  of which the window's thread %.1f us/call, the writer's %.1f us/call "
                    "(full sync)\n",
                    bench::median(windowCpu), bench::median(writerCpu));
        std::printf("lone call, last byte of its report to its row synced: median %.1f ms, "
                    "worst %.1f ms of %lld (goal <= 50) %s\n",
                    bench::median(lone), *std::max_element(lone.cbegin(), lone.cend()),
                    static_cast<long long>(lone.size()),
                    *std::max_element(lone.cbegin(), lone.cend()) <= 50 ? "MET" : "NOT MET");
        if (traced) {
            const double perCall = double(traced->syncs) / calls;
            std::printf("flood disk syncs (strace, whole run with start-up): %d for %d calls, "
                        "%.3f per call (goal <= 0.1) %s\n",
                        traced->syncs, calls, perCall, perCall <= 0.1 ? "MET" : "NOT MET");
        } else {
            std::printf("flood disk syncs: not counted, strace is not installed\n");
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_flood: %s\n", e.what());
        return 1;
    }
    return 0;
}
