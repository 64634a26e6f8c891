// Throughput of the receive path: modem output cut into 1- to 64-byte pieces, each
// converted, upper-cased and appended as the window does, then decoded. The reference is
// what a 115200-baud line can carry at most (10 bits a byte).
#include "calllog/CallerIdDecoder.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>

namespace {

constexpr double kLineBytesPerSecond = 115200.0 / 10.0;
constexpr double kGoalRatio = 1000.0;

class FixedClock final : public dates::Clock
{
public:
    QDateTime now() const override
    {
        return dates::makeDateTime(QDate(2002, 10, 13), QTime(16, 40, 59));
    }
};

// What a caller-ID modem sends over a busy day: rings, reports (some with a name, some
// in lower case from chatty firmware), blank lines and the odd command echo.
QByteArray modemOutput(qsizetype atLeast)
{
    std::mt19937 random(11);
    QByteArray out;
    int n = 0;
    while (out.size() < atLeast) {
        ++n;
        out += "RING\r\n\r\n";
        char report[160];
        const int month = 1 + n % 12;
        const int day = 1 + n % 28;
        const int hour = n % 24;
        const int minute = (n * 7) % 60;
        if (n % 5 == 0) {
            std::snprintf(report, sizeof report,
                          "date = %02d%02d\r\ntime = %02d%02d\r\nnmbr = 0800555%04d\r\n\r\n",
                          month, day, hour, minute, n % 10000);
        } else {
            std::snprintf(report, sizeof report,
                          "DATE = %02d%02d\r\nTIME = %02d%02d\r\nNMBR = 555%04d\r\n"
                          "NAME = CALLER %d\r\n\r\n",
                          month, day, hour, minute, n % 10000, n);
        }
        out += report;
        for (int rings = int(random() % 4); rings > 0; --rings)
            out += "RING\r\n\r\n";
        if (n % 50 == 0)
            out += "AT#CID=1\r\r\nOK\r\n";
    }
    return out;
}

// On a machine shared with other work the wall clock mostly measures the others; the
// thread's own CPU time is what the receive path costs.
double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Pass
{
    double seconds;
    double cpuSeconds;
    qsizetype calls;
};

Pass runOnce(const QByteArray &stream, const QList<int> &pieces)
{
    const FixedClock clock;
    CallerIdDecoder decoder(clock);
    const QString dateSep = QStringLiteral("/");
    const QString timeSep = QStringLiteral(":");
    QString strReceive;
    qsizetype calls = 0;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuSeconds();
    qsizetype pos = 0;
    for (qsizetype i = 0; pos < stream.size(); ++i) {
        const qsizetype n = std::min<qsizetype>(pieces[i % pieces.size()], stream.size() - pos);
        const QString text = QString::fromUtf8(stream.constData() + pos, n);
        pos += n;
        strReceive += text.toUpper();
        calls += decoder.decode(strReceive, dateSep, timeSep).size();
    }
    return {double(timer.nsecsElapsed()) / 1e9, threadCpuSeconds() - cpuStart, calls};
}

} // namespace

int main()
{
    const QByteArray stream = modemOutput(8 * 1024 * 1024);
    std::mt19937 random(64);
    std::uniform_int_distribution<int> size(1, 64);
    QList<int> pieces;
    for (int i = 0; i < 65536; ++i)
        pieces.append(size(random));

    runOnce(stream, pieces); // warm-up
    QList<double> wallRates;
    QList<double> cpuRates;
    qsizetype calls = 0;
    for (int i = 0; i < 7; ++i) {
        const Pass pass = runOnce(stream, pieces);
        wallRates.append(double(stream.size()) / pass.seconds);
        cpuRates.append(double(stream.size()) / pass.cpuSeconds);
        calls = pass.calls;
    }
    std::sort(wallRates.begin(), wallRates.end());
    std::sort(cpuRates.begin(), cpuRates.end());
    const double wall = wallRates[wallRates.size() / 2];
    const double cpu = cpuRates[cpuRates.size() / 2];
    const double ratio = cpu / kLineBytesPerSecond;
    std::printf("receive path: %.1f MB of modem output in 1-64 byte pieces, %lld calls a pass, "
                "7 passes\n",
                double(stream.size()) / 1e6, static_cast<long long>(calls));
    std::printf("receive path throughput (thread CPU time): median %.2f MB/s (min %.2f, max %.2f)\n",
                cpu / 1e6, cpuRates.front() / 1e6, cpuRates.back() / 1e6);
    std::printf("receive path throughput (wall clock): median %.2f MB/s (min %.2f, max %.2f)\n",
                wall / 1e6, wallRates.front() / 1e6, wallRates.back() / 1e6);
    std::printf("receive path vs 115200-baud line (%.1f kB/s): %.0fx by CPU time, %.0fx by wall "
                "clock (goal >= %.0fx) %s\n",
                kLineBytesPerSecond / 1e3, ratio, wall / kLineBytesPerSecond, kGoalRatio,
                ratio >= kGoalRatio ? "MET" : "MISSED");
    return 0;
}
