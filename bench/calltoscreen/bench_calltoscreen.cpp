// bench_calltoscreen: from the last byte of a NMBR line written into the pseudo-terminal
// to the call's line in lstCID: added to the list, and painted. The real window (started
// by Form_Load) on the real serial port and SQLite call log, in this process; the modem
// simulator runs on a thread of its own, as the modem is a machine of its own. The call
// outlets and the phonebook start as main() starts them; the calls run in rounds with an
// empty phonebook and with one of 100,000 entries (1,000 of them ranges), alternating, so
// that what the phonebook adds to a call's path shows. References: the goal of 5 ms, and at
// most 20 us that the phonebook adds (median).
#include "bench/support/BenchClock.h"
#include "bench/support/BenchFiles.h"
#include "tools/linesim/LineSimulator.h"
#include "calllog/CallPipeline.h"
#include "calllog/TAPI.h"
#include "shell/ProgramOptions.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

// Notes the first paint of the list after a line was added.
class PaintWatch : public QObject
{
public:
    bool armed = false;
    qint64 paintedNs = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (armed && event->type() == QEvent::Paint) {
            armed = false;
            const bool handled = QObject::eventFilter(watched, event);
            paintedNs = bench::monotonicNs();
            return handled;
        }
        return false;
    }
};

double percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(qMin<qsizetype>(values.size() - 1, qsizetype(p * values.size())));
}

// Runs the event loop asleep between events, as the program does, until the condition
// holds; false when the time ran out first. The window thread's processor time then is the
// window's own work.
bool waitAsleep(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    // Wakes the loop for the deadline, and now and then for a condition that no event of
    // this thread changes (the simulator's clock); seldom enough to cost next to nothing.
    QTimer tick;
    tick.start(qMin(timeoutMs, 20));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

constexpr int kPhonebook = 100000;
constexpr int kRanges = 1000;

// Contacts written the way people write them (+44 20 7000 0000 on), and freephone ranges.
QByteArray fillPhonebook()
{
    return QStringLiteral(
               "BEGIN; DELETE FROM Phonebook; WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT "
               "i + 1 FROM c WHERE i < %1) INSERT INTO Phonebook (number, name) SELECT "
               "printf('+44 20 7%03d %04d', i / 10000, i % 10000), 'Contact ' || i FROM c; "
               "WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < %2) "
               "INSERT INTO Phonebook (number, name) SELECT printf('0800 %03d*', i), "
               "'Freephone ' || i FROM c; COMMIT;")
        .arg(kPhonebook - kRanges - 1)
        .arg(kRanges - 1)
        .toUtf8();
}

// A call's number as the line sends it: a contact, the same dialled with the international
// prefix, a freephone range, a London number nobody named (which gets its place).
QByteArray callerNumber(int i)
{
    const int contact = (i * 7919) % (kPhonebook - kRanges);
    switch (i % 4) {
    case 0:
        return QStringLiteral("0207%1%2").arg(contact / 10000, 3, 10, QLatin1Char('0'))
            .arg(contact % 10000, 4, 10, QLatin1Char('0')).toLatin1();
    case 1:
        return QStringLiteral("00442079460%1").arg(i % 1000, 3, 10, QLatin1Char('0')).toLatin1();
    case 2:
        return QStringLiteral("00442070%1%2").arg(contact / 10000, 2, 10, QLatin1Char('0'))
            .arg(contact % 10000, 4, 10, QLatin1Char('0')).toLatin1();
    default:
        return QStringLiteral("0800%1%2").arg(i % kRanges, 3, 10, QLatin1Char('0'))
            .arg(i % 10000, 4, 10, QLatin1Char('0')).toLatin1();
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    QApplication app(argc, argv);
    const int calls = argc > 1 ? qMax(10, atoi(argv[1])) : 200;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    bench::usePrivateFolders(dir.path());
    // No desktop reached: the notices are said unavailable, the calls still described for them.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(dir.filePath(QStringLiteral("no-session-bus"))));
    if (!QDir(dir.path()).mkpath(QStringLiteral("config/ringvane")))
        return 1;
    bench::writeFile(dir.filePath(QStringLiteral("config/ringvane/ringvane.conf")),
                     "[numbers]\nregion=GB\n");
    QProcess setup;
    setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
    if (!setup.waitForFinished(60000) || setup.exitCode() != 0) {
        std::fprintf(stderr, "bench_calltoscreen: the call log could not be set up\n");
        return 1;
    }

    QThread simThread;
    simThread.start();
    QObject simContext;
    simContext.moveToThread(&simThread);
    LineSimulator *sim = nullptr;
    QMetaObject::invokeMethod(&simContext, [&] { sim = new LineSimulator; }, Qt::BlockingQueuedConnection);
    QString slave;
    QMetaObject::invokeMethod(&simContext, [&] { slave = sim->slavePath(); }, Qt::BlockingQueuedConnection);

    QFile registry(dir.filePath(QStringLiteral("registry.reg")));
    if (!registry.open(QIODevice::WriteOnly))
        return 1;
    registry.write(simulatedModemRegistry(slave).toUtf8());
    registry.close();

    int result = 0;
    {
        frmMain window;
        window.Form_Load();
        int commands = 0;
        if (!bench::waitFor([&] {
                QMetaObject::invokeMethod(&simContext, [&] { commands = int(sim->commands().size()); },
                                          Qt::BlockingQueuedConnection);
                return commands >= 3;
            })) {
            std::fprintf(stderr, "bench_calltoscreen: the modem was not opened\n");
            return 1;
        }

        PaintWatch watch;
        window.lstCID->viewport()->installEventFilter(&watch);
        qint64 addedNs = 0;
        QObject::connect(window.lstCID->model(), &QAbstractItemModel::rowsInserted, &window, [&] {
            addedNs = bench::monotonicNs();
            watch.armed = true;
        });

        // As main() starts them, once the window stands.
        window.startCallOutlets(programOptionsOrExit({QStringLiteral("ringvane")}));
        CallerBook *book = window.callPipeline().callers();
        if (!bench::waitFor([&] { return book->readable(); }, 30000)) {
            std::fprintf(stderr, "bench_calltoscreen: the phonebook was not read\n");
            return 1;
        }
        const QString database = dir.filePath(QStringLiteral("data/ringvane/calllog.db"));
        // Another program changes the phonebook; the window's book reads it within seconds.
        const auto setPhonebook = [&](bool full) {
            bool changed = false;
            const QMetaObject::Connection watching =
                QObject::connect(book, &CallerBook::changed, [&] { changed = true; });
            bench::runSqliteShell(database,
                                  full ? fillPhonebook() : QByteArray("DELETE FROM Phonebook;"));
            const bool read = bench::waitFor([&] { return changed; }, 60000);
            QObject::disconnect(watching);
            // The listed calls' tooltips follow the change: not part of a call's path.
            bench::waitFor([] { return false; }, 200);
            return read;
        };

        std::atomic<qint64> writtenNs{0};
        int sent = 0;
        // count calls; the first warmUp of them are not measured.
        const auto runCalls = [&](int count, int warmUp, QList<double> &added,
                                  QList<double> &painted, QList<double> &cpu) {
            for (int i = 0; i < count; ++i, ++sent) {
                const QDateTime now = QDateTime::currentDateTime();
                const QByteArray report =
                    "\r\nRING\r\n\r\nDATE = " + now.toString(QStringLiteral("MMdd")).toLatin1() +
                    "\r\nTIME = " + now.toString(QStringLiteral("hhmm")).toLatin1() +
                    "\r\nNMBR = " + callerNumber(sent) + "\r\n";
                const int before = window.lstCID->count();
                watch.paintedNs = 0;
                writtenNs = 0;
                const qint64 cpuBefore = threadCpuNs();
                // Written on the simulator's thread; the clock is read right after the write.
                QMetaObject::invokeMethod(&simContext, [&, report] {
                    sim->send(report);
                    writtenNs = bench::monotonicNs();
                });
                if (!waitAsleep(
                        [&] {
                            return window.lstCID->count() > before && watch.paintedNs != 0 &&
                                   writtenNs != 0;
                        },
                        10000)) {
                    std::fprintf(stderr, "bench_calltoscreen: call %d never reached the list\n",
                                 sent);
                    return false;
                }
                // Calls come seconds apart on a real line; let the window settle in between.
                // What it does for the call after the paint (the notice, the report's
                // close) falls in here.
                waitAsleep([] { return false; }, 30);
                if (i >= warmUp) {
                    added << (addedNs - writtenNs) / 1e6;
                    painted << (watch.paintedNs - writtenNs) / 1e6;
                    cpu << (threadCpuNs() - cpuBefore) / 1e3;
                }
            }
            return true;
        };

        // Rounds alternate, so that a change in the machine's load falls on both.
        QList<double> added, painted, cpu, addedBook, paintedBook, cpuBook;
        const int half = calls / 2;
        bool ran = runCalls(10, 10, added, painted, cpu);
        for (int round = 0; ran && round < 2; ++round) {
            ran = runCalls(half + 5, 5, added, painted, cpu) && setPhonebook(true) &&
                  runCalls(half + 5, 5, addedBook, paintedBook, cpuBook) && setPhonebook(false);
        }
        if (!ran) {
            result = 1;
        } else {
            std::printf("calltoscreen: %d calls, SQLite call log on disk (write-ahead, full sync), "
                        "the call outlets on, numbers read in region GB\n",
                        int(added.size()));
            const auto show = [](const char *what, const QList<double> &values) {
                std::printf("calltoscreen %s median %6.3f ms  p95 %6.3f ms  worst %6.3f ms "
                            "(median %.2fx the 5 ms goal)\n",
                            what, percentile(values, 0.5), percentile(values, 0.95),
                            percentile(values, 1.0), percentile(values, 0.5) / 5.0);
            };
            show("line added:  ", added);
            show("line painted:", painted);
            std::printf("calltoscreen with a phonebook of %d entries (%d ranges), %d calls, half "
                        "of them contacts, a quarter in ranges:\n",
                        kPhonebook, kRanges, int(addedBook.size()));
            show("line added:  ", addedBook);
            show("line painted:", paintedBook);
            const double extraAdded = (percentile(addedBook, 0.5) - percentile(added, 0.5)) * 1e3;
            const double extraPainted =
                (percentile(paintedBook, 0.5) - percentile(painted, 0.5)) * 1e3;
            std::printf("calltoscreen: the phonebook adds %.1f us to the line added, %.1f us to "
                        "the line painted (medians)\n",
                        extraAdded, extraPainted);
            // The window thread's processor time for all it does for a call (decode, screen,
            // list, tooltip, notice, paint): what the phonebook adds, whatever the load.
            const double extraCpu = percentile(cpuBook, 0.5) - percentile(cpu, 0.5);
            std::printf("calltoscreen window thread's processor time per call: median %.1f us "
                        "without, %.1f us with the phonebook; it adds %.1f us (goal <= 20) %s\n",
                        percentile(cpu, 0.5), percentile(cpuBook, 0.5), extraCpu,
                        extraCpu <= 20 ? "MET" : "NOT MET");
        }
        window.btnClose_Click();
    }
    // As the program ends: the call log's statements go before Qt's own clean-up closes
    // the connection under them, which the driver would refuse with errors.
    TAPI::releaseCallLog();
    QMetaObject::invokeMethod(&simContext, [&] { delete sim; }, Qt::BlockingQueuedConnection);
    simThread.quit();
    simThread.wait();
    return result;
}
