// bench_calltoscreen: from the last byte of a NMBR line written into the pseudo-terminal
// to the call's line in lstCID: added to the list, and painted. The real window (started
// by Form_Load) on the real serial port and SQLite call log, in this process; the modem
// simulator runs on a thread of its own, as the modem is a machine of its own. Reference:
// the goal of 5 ms.
#include "bench/support/BenchClock.h"
#include "bench/support/BenchFiles.h"
#include "tools/linesim/LineSimulator.h"
#include "calllog/TAPI.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>

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
    // The ODBC and registry files are read once per process: set before the first use.
    qputenv("ODBCINI", QFile::encodeName(dir.filePath(QStringLiteral("odbc.ini"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    qputenv("RINGVANE_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("registry.reg"))));
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

        std::atomic<qint64> writtenNs{0};
        QList<double> added, painted;
        const int warmUp = 10;
        for (int i = 0; i < warmUp + calls; ++i) {
            const QDateTime now = QDateTime::currentDateTime();
            const QByteArray report = "\r\nRING\r\n\r\nDATE = " + now.toString(QStringLiteral("MMdd")).toLatin1() +
                                      "\r\nTIME = " + now.toString(QStringLiteral("hhmm")).toLatin1() +
                                      "\r\nNMBR = " + QByteArray::number(5550000 + i) + "\r\n";
            const int before = window.lstCID->count();
            watch.paintedNs = 0;
            writtenNs = 0;
            // Written on the simulator's thread; the clock is read right after the write.
            QMetaObject::invokeMethod(&simContext, [&, report] {
                sim->send(report);
                writtenNs = bench::monotonicNs();
            });
            if (!bench::waitFor([&] { return window.lstCID->count() > before && watch.paintedNs != 0 && writtenNs != 0; },
                         10000)) {
                std::fprintf(stderr, "bench_calltoscreen: call %d never reached the list\n", i);
                result = 1;
                break;
            }
            if (i >= warmUp) {
                added << (addedNs - writtenNs) / 1e6;
                painted << (watch.paintedNs - writtenNs) / 1e6;
            }
            // Calls come seconds apart on a real line; let the window settle in between.
            bench::waitFor([] { return false; }, 20);
        }
        if (result == 0) {
            std::printf("calltoscreen: %d calls, SQLite call log on disk (write-ahead, full sync)\n",
                        calls);
            std::printf("calltoscreen line added:   median %6.3f ms  p95 %6.3f ms  worst %6.3f ms "
                        "(median %.2fx the 5 ms goal)\n",
                        percentile(added, 0.5), percentile(added, 0.95), percentile(added, 1.0),
                        percentile(added, 0.5) / 5.0);
            std::printf("calltoscreen line painted: median %6.3f ms  p95 %6.3f ms  worst %6.3f ms "
                        "(median %.2fx the 5 ms goal)\n",
                        percentile(painted, 0.5), percentile(painted, 0.95), percentile(painted, 1.0),
                        percentile(painted, 0.5) / 5.0);
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
