#include "tests/support/TestHelpers.h"
#include "tools/linesim/LineSimulatorThread.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

TEST(LineSimulator, FormatsReportsLikeTheRealModems)
{
    const CallerIdReport report{QStringLiteral("1013"), QStringLiteral("1425"), QStringLiteral("5550123"),
                                QStringLiteral("DOE JOHN"), {}};
    const struct
    {
        const char *what;
        ReportStyle style;
        const char *expected;
    } cases[] = {
        {"verbose", {}, "\r\nRING\r\n\r\nDATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\nNAME = DOE JOHN\r\n\r\n"},
        {"terse, CR only, name first", {0, 1, false, false, true, true},
         "DATE=1013\rTIME=1425\rNAME=DOE JOHN\rNMBR=5550123\r\rRING\r"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatReport(report, c.style), QByteArray(c.expected)) << c.what;
}


// The program's side of the simulated line, raw as the serial code opens it.
struct Port
{
    explicit Port(const QString &path) : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY))
    {
        termios raw{};
        ::tcgetattr(fd, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
    }
    ~Port() { ::close(fd); }
    // Reads on for up to ms, or until the text holds.
    const QByteArray &readFor(int ms, const std::function<bool(const QByteArray &)> &until = {})
    {
        char buffer[512];
        for (QDeadlineTimer deadline(ms); !deadline.hasExpired() && !(until && until(text));) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0)
                text.append(buffer, qMax<ssize_t>(0, ::read(fd, buffer, sizeof buffer)));
        }
        return text;
    }
    int fd;
    QByteArray text;
};

qsizetype ringsAfter(const QByteArray &text, const QByteArray &marker)
{
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? 0 : QByteArrayView(text).sliced(at + marker.size()).count("RING");
}

TEST(LineSimulator, ACallRingsUntilTakenOffHookHungUpOrTheRingsRunOut)
{
    // Rings that would go on in QuietMs, had the call not ended, are unmistakable.
    constexpr int RingMs = 100, QuietMs = 15 * RingMs;
    // sent: after the first ring that follows the report; ringsAfter: after marker, -1 for on and on.
    const struct
    {
        const char *what; int rings; bool canGoOffHook; QByteArray sent, marker; int ringsAfter;
    } cases[] = {
        {"off hook", 1000, true, "ATH1\r", "ATH1\r\r\nOK\r\n", 0},
        {"a caller-ID-only device", 1000, false, "ATH1\r", "ATH1\r\r\nERROR\r\n", -1},
        {"hung up", 1000, true, "ath\r", "ath\r\r\nOK\r\n", 0},
        {"the caller gives up", 3, true, {}, "NMBR", 3},
        {"no ringing asked for", 0, true, {}, "NMBR", 0},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        const QString log = dir.filePath(QString::fromLatin1(c.what));
        LineSimulatorThread sim;
        ASSERT_TRUE(sim.call([&](LineSimulator &s) {
            s.setRingsAfterReport(c.rings, RingMs);
            s.setCanGoOffHook(c.canGoOffHook);
            return s.setCommandsLog(log).ok();
        }));
        Port port(sim.path());
        sim.call([](LineSimulator &s) { s.sendReport(CallerIdReport{}); });
        if (!c.sent.isEmpty()) {
            port.readFor(10000, [](const QByteArray &t) { return ringsAfter(t, "NMBR") >= 1; });
            EXPECT_EQ(::write(port.fd, c.sent.constData(), c.sent.size()), c.sent.size());
        }
        port.readFor(10000, [&](const QByteArray &t) { return t.contains(c.marker); });
        if (c.ringsAfter >= 0) // a ring late for a pause of the machine is no fault: wait for the end
            waitFor([&] { return !sim.call([](LineSimulator &s) { return s.isRinging(); }); }, 10000);
        const QByteArray &text = c.ringsAfter < 0
            ? port.readFor(10000, [&](const QByteArray &t) { return ringsAfter(t, c.marker) >= 2; })
            : port.readFor(QuietMs);
        const qsizetype rings = ringsAfter(text, c.marker);
        EXPECT_TRUE(text.contains(c.marker) && (c.ringsAfter < 0 ? rings >= 2 : rings == c.ringsAfter))
            << c.what << ": " << text.toStdString();
        // Read while the simulator runs: each command is flushed as it comes, after its time.
        QFile file(log);
        const QString logged = file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
        const QString command = QString::fromLatin1(c.sent).trimmed();
        const QRegularExpression timed(QRegularExpression::anchoredPattern(
            QStringLiteral(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3} )") + command + u'\n'));
        EXPECT_TRUE(command.isEmpty() ? logged.isEmpty() : timed.match(logged).hasMatch())
            << c.what << ": " << logged.toStdString();
    }
}

} // namespace
