// bench_stall: the longest pause of the window's event loop (measured by a 5 ms timer)
// while calls arrive and the call log cannot take them: the SQLite file locked by another
// program, and a PostgreSQL log whose server never answers. With the lock: how soon the
// waiting calls are stored once it goes. The real window on the real serial port; the
// modem simulator on a thread of its own. Reference: the goal of 100 ms per stall.
#include "bench/support/BenchClock.h"
#include "bench/support/BenchFiles.h"
#include "tools/linesim/LineSimulator.h"
#include "tests/support/SilentServer.h"
#include "tests/support/SqliteLock.h"
#include "tests/support/StallMeter.h"
#include "calllog/CallRecorder.h"
#include "calllog/TAPI.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

namespace {

// The simulated modem on its own thread, registered for the window.
class Modem
{
public:
    explicit Modem(const QString &registryFile)
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        run([this] { m_sim = new LineSimulator; });
        QString slave;
        run([&] { slave = m_sim->slavePath(); });
        QFile registry(registryFile);
        if (registry.open(QIODevice::WriteOnly))
            registry.write(simulatedModemRegistry(slave).toUtf8());
    }
    ~Modem()
    {
        run([this] { delete m_sim; });
        m_thread.quit();
        m_thread.wait();
    }
    int commands()
    {
        int n = 0;
        run([&] { n = int(m_sim->commands().size()); });
        return n;
    }
    void call(int number)
    {
        const QDateTime now = QDateTime::currentDateTime();
        const QByteArray report = "\r\nRING\r\n\r\nDATE = " +
                                  now.toString(QStringLiteral("MMdd")).toLatin1() + "\r\nTIME = " +
                                  now.toString(QStringLiteral("hhmm")).toLatin1() +
                                  "\r\nNMBR = " + QByteArray::number(number) + "\r\n\r\n";
        QMetaObject::invokeMethod(&m_context, [this, report] { m_sim->send(report); });
    }

private:
    template <class F> void run(F f)
    {
        QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection);
    }
    QThread m_thread;
    QObject m_context;
    LineSimulator *m_sim = nullptr;
};

void setPrivateEnvironment(const QTemporaryDir &dir)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::usePrivateFolders(dir.path());
}

bool started(frmMain &window, Modem &modem)
{
    window.Form_Load();
    return bench::waitFor([&] { return modem.commands() >= 3; });
}

// Two calls 300 ms apart into a locked log, 6 s of lock, then the lock goes.
int lockedLog(const QTemporaryDir &dir, int rounds)
{
    QProcess setup;
    setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
    if (!setup.waitForFinished(60000) || setup.exitCode() != 0) {
        std::fprintf(stderr, "bench_stall: the call log could not be set up\n");
        return 1;
    }
    const QString file = db::sqliteDatabaseFile(TAPI::callLogSource());
    Modem modem(dir.filePath(QStringLiteral("registry.reg")));
    QList<qint64> stalls, stored;
    {
        frmMain window;
        if (!started(window, modem)) {
            std::fprintf(stderr, "bench_stall: the modem was not opened\n");
            return 1;
        }
        for (int round = 0; round < rounds; ++round) {
            SqliteLock lock(file);
            if (!lock.held())
                return 1;
            QElapsedTimer locked;
            locked.start();
            StallMeter meter;
            modem.call(5550000 + 2 * round);
            bench::waitFor([] { return false; }, 300);
            modem.call(5550001 + 2 * round);
            bench::waitFor([] { return false; }, int(qMax<qint64>(0, 6000 - locked.elapsed())));
            stalls << meter.longestMs();
            QElapsedTimer released;
            released.start();
            lock.release();
            if (!bench::waitFor([&] { return window.callRecorder().waitingCount() < 2; }, 30000))
                return 1;
            stored << released.elapsed();
            bench::waitFor([&] { return !window.callRecorder().busy(); }, 30000);
        }
        window.btnClose_Click();
        window.finishCalls(1500);
    }
    TAPI::releaseCallLog();
    std::printf("stall, log locked by another program (6 s, 2 calls), %d rounds: longest stall "
                "median %lld ms, worst %lld ms (goal <= 100) %s\n",
                rounds, bench::median(stalls), *std::max_element(stalls.begin(), stalls.end()),
                bench::median(stalls) <= 100 ? "MET" : "NOT MET");
    std::printf("stall, first waiting call stored after the lock went: median %lld ms, worst %lld ms\n",
                bench::median(stored), *std::max_element(stored.begin(), stored.end()));
    std::fflush(stdout);
    return 0;
}

// A PostgreSQL log on a port that takes connections and never answers: three calls, 8 s.
int silentLog(const QTemporaryDir &dir)
{
    SilentServer server;
    if (server.port() == 0)
        return 1;
    const QString driver = SilentServer::psqlDriver();
    QFile drivers(dir.filePath(QStringLiteral("odbcinst.ini")));
    QFile ini(dir.filePath(QStringLiteral("odbc.ini")));
    if (!drivers.open(QIODevice::WriteOnly) || !ini.open(QIODevice::WriteOnly))
        return 1;
    drivers.write("[PostgreSQL Unicode]\nDriver=" + driver.toUtf8() + "\n");
    ini.write("[CallerID]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" +
              QByteArray::number(server.port()) +
              "\nDatabase=postgres\nUsername=ringvane\nSSLMode=disable\npqopt=connect_timeout=2\n");
    drivers.close();
    ini.close();
    qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));

    Modem modem(dir.filePath(QStringLiteral("registry.reg")));
    qint64 stall = 0;
    {
        frmMain window;
        if (!started(window, modem)) {
            std::fprintf(stderr, "bench_stall: the modem was not opened\n");
            return 1;
        }
        StallMeter meter;
        for (int i = 0; i < 3; ++i) {
            modem.call(5550600 + i);
            bench::waitFor([] { return false; }, 500);
        }
        bench::waitFor([] { return false; }, 6500);
        stall = meter.longestMs();
        window.btnClose_Click();
        window.finishCalls(1500);
    }
    TAPI::releaseCallLog();
    std::printf("stall, log on a server that never answers (8 s, 3 calls): longest stall %lld ms "
                "(goal <= 100) %s\n",
                stall, stall <= 100 ? "MET" : "NOT MET");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "C.UTF-8");
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    setPrivateEnvironment(dir);
    // unixODBC reads its files once per process: the silent log runs in a process of its own.
    if (argc > 1 && qstrcmp(argv[1], "--silent") == 0) {
        QApplication app(argc, argv);
        return silentLog(dir);
    }
    QApplication app(argc, argv);
    int status = lockedLog(dir, 5);
    QProcess silent;
    silent.setProcessChannelMode(QProcess::ForwardedChannels);
    silent.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--silent")});
    if (!silent.waitForFinished(120000) || silent.exitCode() != 0)
        status = 1;
    return status;
}
