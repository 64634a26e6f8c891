// startup_bare_window: the reference for bench_startup, a bare Qt window that links Qt
// Widgets only. "--text" draws a line of text, so the fonts are loaded as any text needs.
// Prints the same line as the program's start does. A helper, not a benchmark: it runs
// only under bench_startup, which gives it the offscreen platform.
#include "bench/support/BenchClock.h"
#include "bench/startup/ProcStatus.h"
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class BareWindow : public QWidget
{
public:
    bool withText = false;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::darkGray);
        if (withText)
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("[2026/12/09 06:30] 5550123"));
        const long long now = bench::monotonicNs();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long anon = statusKb("RssAnon:"), file = statusKb("RssFile:"), unshared = privateKb();
        keepMemoryMap(); // after the figures, which reading the map would change
        std::printf(STARTUP_REPORT_FORMAT "\n", now, now, usage.ru_maxrss, usage.ru_maxrss, anon, file,
                    unshared);
        std::fflush(stdout);
        ::_exit(0);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.withText = argc > 1 && qstrcmp(argv[1], "--text") == 0;
    window.resize(400, 300);
    window.show();
    return app.exec();
}
