// bench_blocking: what hanging up on unwanted callers costs, with a phonebook of 100,000
// entries (numbers as bench_callers writes them, 1,000 ranges, some of both on the block
// list) and 100 rules on names, mode "list".
//
// Hang-up latency: from the last byte of a report's NMBR line written into the
// pseudo-terminal to the last byte of the off-hook command read back from it. The real
// window (Form_Load) on the real serial port, the phonebook read from the SQLite call log
// as the program reads it (again every few seconds); the modem simulator runs on a thread
// of its own, as the modem is a machine of its own, and answers each command. References:
// median <= 2 ms, worst <= 10 ms.
//
// Deciding cost: the phonebook's verdicts for a flood of 20,000 calls, most of them not
// listed, against the same calls shown without screening. Reference: <= 5 us a call.
#include "bench/support/BenchClock.h"
#include "bench/support/BenchFiles.h"
#include "bench/support/SomeNumbers.h"
#include "callers/CallerBook.h"
#include "calllog/CallRecorder.h"
#include "calllog/TAPI.h"
#include "platform/Database.h"
#include "shell/frmMain.h"
#include "tools/linesim/LineSimulator.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kNumbers = 98900;
constexpr int kRanges = 1000;
constexpr int kNameRules = 100;
constexpr int kFloodCalls = 20000;
constexpr int kHoldMs = 200; // the shortest hold the settings take

const char *verdict(bool met)
{
    return met ? "MET" : "NOT MET";
}

double percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.at(qMin<qsizetype>(values.size() - 1, qsizetype(p * values.size())));
}

qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Rules as people write them: whole names, prefixes, a few with "*" inside.
QStringList someNameRules()
{
    QStringList rules;
    for (int i = 0; i < 60; ++i)
        rules << QStringLiteral("Telemarketer %1").arg(i);
    for (int i = 0; i < 35; ++i)
        rules << QStringLiteral("SALES %1*").arg(i);
    for (int i = 0; i < kNameRules - 95; ++i)
        rules << QStringLiteral("*LOAN%1*").arg(i);
    return rules;
}

// The phonebook: contacts, some blocked and some allowed, ranges (half of them blocked),
// then the rules on names, rows as the call log holds them.
CallerBook::Entries somePhonebook(QRandomGenerator &random)
{
    CallerBook::Entries entries;
    entries.reserve(kNumbers + kRanges + kNameRules);
    for (int i = 0; i < kNumbers; ++i) {
        const QString mark = i % 40 == 0   ? QStringLiteral("block")
                             : i % 40 == 20 ? QStringLiteral("allow")
                                            : QString();
        const QString name = i % 80 == 0 ? QString() : QStringLiteral("Contact %1").arg(i);
        entries.append({bench::someNumber(random), name, mark});
    }
    for (int i = 0; i < kRanges; ++i) {
        entries.append({bench::someRange(random),
                        i % 2 == 0 ? QString() : QStringLiteral("Office %1").arg(i),
                        i % 2 == 0 ? QStringLiteral("block") : QString()});
    }
    for (const QString &rule : someNameRules())
        entries.append({QString(), rule, QStringLiteral("block-name")});
    return entries;
}

QByteArray sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return "'" + quoted.toUtf8() + "'";
}

struct FloodCall
{
    QString number;
    QString name; // empty: the line sent none
};

// Most callers are not in the phonebook; some are contacts, some blocked, some withheld;
// half of the reports carry a name, now and then one a rule matches.
QList<FloodCall> someFlood(QRandomGenerator &random, const CallerBook::Entries &entries)
{
    QStringList names{QStringLiteral("SALES 7 LTD"), QStringLiteral("TELEMARKETER 12")};
    for (int i = 0; i < 18; ++i)
        names << QStringLiteral("CALLER %1").arg(i);
    QList<FloodCall> calls;
    calls.reserve(kFloodCalls);
    for (int i = 0; i < kFloodCalls; ++i) {
        FloodCall call;
        const int kind = random.bounded(20);
        if (kind < 14)
            call.number = bench::asTheLineSendsIt(bench::someNumber(random));
        else if (kind < 17)
            call.number = bench::asTheLineSendsIt(entries.at(random.bounded(kNumbers)).number);
        else if (kind < 18)
            call.number = QStringLiteral("0800") + bench::digits(random, 7);
        else if (kind < 19)
            call.number = bench::asTheLineSendsIt(entries.at(random.bounded(kNumbers / 40) * 40).number);
        else
            call.number = i % 2 ? QStringLiteral("P") : QStringLiteral("O");
        if (i % 2 == 0)
            call.name = names.at(random.bounded(names.size()));
        calls.append(call);
    }
    return calls;
}

struct Cost
{
    double cpuUs = 0;
    double wallUs = 0;
};

// One pass over the flood as the call path asks the book: the verdict as the call is
// decoded, the caller shown in the list, where the name decides the verdict again as its
// report closes, and the caller passed on.
Cost floodPass(const CallerBook &book, const QList<FloodCall> &calls, const ScreenRules *rules,
               int *hungUp)
{
    const qint64 wall = bench::monotonicNs();
    const qint64 cpu = threadCpuNs();
    int cut = 0;
    for (const FloodCall &call : calls) {
        Verdict said;
        if (rules)
            said = book.screen(call.number, std::nullopt, *rules);
        const CallerShown listed = book.describe(call.number, call.name);
        if (said.waitForName)
            said = book.screen(call.number, call.name, *rules);
        cut += said.hangUp ? 1 : 0;
        const CallerShown passed = book.describe(call.number, call.name);
        Q_UNUSED(listed);
        Q_UNUSED(passed);
    }
    if (hungUp)
        *hungUp = cut;
    return {double(threadCpuNs() - cpu) / 1e3 / calls.size(),
            double(bench::monotonicNs() - wall) / 1e3 / calls.size()};
}

QByteArray reportFor(const QString &number)
{
    const QDateTime now = QDateTime::currentDateTime();
    return "\r\nRING\r\n\r\nDATE = " + now.toString(QStringLiteral("MMdd")).toLatin1() +
           "\r\nTIME = " + now.toString(QStringLiteral("hhmm")).toLatin1() +
           "\r\nNMBR = " + number.toLatin1() + "\r\n";
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    QApplication app(argc, argv);
    const int calls = argc > 1 ? qMax(10, atoi(argv[1])) : 1000;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    bench::usePrivateFolders(dir.path());

    QRandomGenerator random(20261210);
    const CallerBook::Entries entries = somePhonebook(random);
    ScreenRules rules;
    rules.mode = ScreenRules::Mode::List;
    rules.holdMs = kHoldMs;

    // The deciding cost, on a book filled from memory; it also picks the calls to block.
    QList<QString> blockedByEntry, blockedByRange;
    {
        CallerBook book([&entries]() -> Result<CallerBook::Entries> { return entries; },
                        QStringLiteral("GB"));
        book.start(3600 * 1000);
        if (!bench::waitFor([&] { return book.readable(); }, 60000)) {
            std::fprintf(stderr, "bench_blocking: the phonebook was not read\n");
            return 1;
        }
        const QList<FloodCall> flood = someFlood(random, entries);
        floodPass(book, flood, &rules, nullptr); // warms the caches of both
        QList<double> plainCpu, plainWall, screenedCpu, screenedWall, extraCpu;
        int hungUp = 0;
        for (int pass = 0; pass < 7; ++pass) {
            const Cost plain = floodPass(book, flood, nullptr, nullptr);
            const Cost screened = floodPass(book, flood, &rules, &hungUp);
            plainCpu << plain.cpuUs;
            plainWall << plain.wallUs;
            screenedCpu << screened.cpuUs;
            screenedWall << screened.wallUs;
            extraCpu << screened.cpuUs - plain.cpuUs;
        }
        // The verdicts alone, without the caller shown.
        QList<double> aloneCpu;
        for (int pass = 0; pass < 7; ++pass) {
            const qint64 cpu = threadCpuNs();
            for (const FloodCall &call : flood) {
                const Verdict said = book.screen(call.number, std::nullopt, rules);
                if (said.waitForName)
                    (void)book.screen(call.number, call.name, rules);
            }
            aloneCpu << double(threadCpuNs() - cpu) / 1e3 / flood.size();
        }
        const double extra = bench::median(extraCpu);
        std::printf("blocking: phonebook of %lld entries (%d numbers, every 40th blocked; %d ranges, "
                    "half blocked; %d name rules), mode list\n",
                    qlonglong(entries.size()), kNumbers, kRanges, kNameRules);
        std::printf("deciding, flood of %d calls (%d hung up, most callers not listed, half with a "
                    "name), medians of 7 passes by thread CPU time:\n",
                    kFloodCalls, hungUp);
        std::printf("  callers shown without screening %.2f us/call, with screening %.2f us/call "
                    "(wall %.2f / %.2f)\n",
                    bench::median(plainCpu), bench::median(screenedCpu), bench::median(plainWall),
                    bench::median(screenedWall));
        const double alone = bench::median(aloneCpu);
        std::printf("  screening adds %.2f us/call (goal <= 5) %s; the verdicts alone, without "
                    "the callers shown, %.2f us/call\n",
                    extra, verdict(extra <= 5), alone);

        // Calls the book hangs up on as soon as their number is decoded.
        for (int i = 0; i < kNumbers && blockedByEntry.size() < calls / 2; i += 40) {
            const QString number = bench::asTheLineSendsIt(entries.at(i).number);
            if (book.screen(number, std::nullopt, rules).hangUp)
                blockedByEntry << number;
        }
        while (blockedByRange.size() < calls - blockedByEntry.size()) {
            const QString range = entries.at(kNumbers + 2 * random.bounded(kRanges / 2)).number;
            QString number = bench::asTheLineSendsIt(range);
            // Whole numbers: 0800 and seven digits; London or Berlin with the country code.
            const int length = number.startsWith(u"0800") ? 11 : 14;
            number += bench::digits(random, qMax(0, length - int(number.size())));
            const NumberDirectory::Listing listing = book.listing(number);
            if (listing.written.endsWith(QLatin1Char('*')) &&
                book.screen(number, std::nullopt, rules).hangUp)
                blockedByRange << number;
        }
    }
    std::fflush(stdout);

    QProcess setup;
    setup.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {});
    if (!setup.waitForFinished(60000) || setup.exitCode() != 0) {
        std::fprintf(stderr, "bench_blocking: the call log could not be set up\n");
        return 1;
    }
    {
        QByteArray sql = "BEGIN;\n";
        for (const NumberDirectory::Entry &entry : entries) {
            sql += "INSERT INTO Phonebook (number, name, mark) VALUES (" + sqlText(entry.number) +
                   "," + sqlText(entry.name) + "," +
                   (entry.mark.isEmpty() ? QByteArray("NULL") : sqlText(entry.mark)) + ");\n";
        }
        sql += "COMMIT;\n";
        bench::runSqliteShell(db::sqliteDatabaseFile(TAPI::callLogSource()), sql);
    }

    QThread simThread;
    simThread.start();
    QObject simContext;
    simContext.moveToThread(&simThread);
    LineSimulator *sim = nullptr;
    std::atomic<qint64> offHookNs{0};
    std::atomic<int> commandsSeen{0};
    QMetaObject::invokeMethod(
        &simContext,
        [&] {
            sim = new LineSimulator;
            // On the simulator's thread, as the command's last byte is read.
            QObject::connect(sim, &LineSimulator::commandReceived, sim, [&](const QString &command) {
                if (command.trimmed().compare(u"ATH1", Qt::CaseInsensitive) == 0)
                    offHookNs = bench::monotonicNs();
                ++commandsSeen;
            }, Qt::DirectConnection);
        },
        Qt::BlockingQueuedConnection);
    QString slave;
    QMetaObject::invokeMethod(&simContext, [&] { slave = sim->slavePath(); }, Qt::BlockingQueuedConnection);

    bench::writeFile(dir.filePath(QStringLiteral("registry.reg")), simulatedModemRegistry(slave).toUtf8());

    int result = 0;
    {
        frmMain window;
        window.Form_Load();
        if (!bench::waitFor([&] { return commandsSeen >= 3; })) {
            std::fprintf(stderr, "bench_blocking: the modem was not opened\n");
            return 1;
        }
        const qint64 readFrom = bench::monotonicNs();
        window.startCallers(QStringLiteral("GB"));
        window.startScreening(rules);
        CallerBook *book = window.callPipeline().callers();
        if (!bench::waitFor([&] { return book->readable(); }, 120000)) {
            std::fprintf(stderr, "bench_blocking: the phonebook was not read from the call log\n");
            return 1;
        }
        const double readMs = double(bench::monotonicNs() - readFrom) / 1e6;
        // The program's side as the call is listed (after the off-hook command was written):
        // splits a slow call into the program's share and the modem thread's.
        qint64 decodedNs = 0;
        QObject::connect(&window.callRecorder(), &CallRecorder::callsDecoded, &window,
                         [&] { decodedNs = bench::monotonicNs(); });
        struct Slow
        {
            double ms, programMs;
            int call;
        };
        QList<Slow> slowest;
        bool lineFree = true;
        QObject::connect(window.callPipeline().line(), &LineGuard::done, &window,
                         [&] { lineFree = true; });

        QList<double> latency, byEntry, byRange;
        const int warmUp = 10;
        const qint64 runFrom = bench::monotonicNs();
        for (int i = 0; i < warmUp + calls; ++i) {
            const int k = i < warmUp ? i : i - warmUp;
            const bool range = k % 2 == 1 && k / 2 < blockedByRange.size();
            const QString number =
                range ? blockedByRange.at(k / 2) : blockedByEntry.at((k / 2) % blockedByEntry.size());
            offHookNs = 0;
            decodedNs = 0;
            lineFree = false;
            const int seenBefore = commandsSeen;
            std::atomic<qint64> writtenNs{0};
            // Written on the simulator's thread; the clock is read right after the write.
            QMetaObject::invokeMethod(&simContext, [&, report = reportFor(number)] {
                sim->send(report);
                writtenNs = bench::monotonicNs();
            });
            // Off hook, back on hook, the caller-ID command again: each answered OK.
            if (!bench::waitFor([&] { return lineFree && commandsSeen >= seenBefore + 3 && writtenNs != 0; },
                                10000) ||
                offHookNs == 0) {
                std::fprintf(stderr, "bench_blocking: call %d (%s) was not hung up on\n", i,
                             qPrintable(number));
                result = 1;
                break;
            }
            if (i >= warmUp) {
                const double ms = double(offHookNs - writtenNs) / 1e6;
                latency << ms;
                (range ? byRange : byEntry) << ms;
                slowest.append({ms, double(decodedNs - writtenNs) / 1e6, i - warmUp});
                std::sort(slowest.begin(), slowest.end(),
                          [](const Slow &a, const Slow &b) { return a.ms > b.ms; });
                if (slowest.size() > 5)
                    slowest.removeLast();
            }
            // The modem's OK to the caller-ID command comes in before the next call.
            bench::waitFor([] { return false; }, 5);
        }
        const double runS = double(bench::monotonicNs() - runFrom) / 1e9;
        if (result == 0) {
            const double median = percentile(latency, 0.5), worst = percentile(latency, 1.0);
            std::printf("hang-up: %d calls (%lld by an exact entry, %lld by a range), the real window "
                        "on the pseudo-terminal, phonebook read from the SQLite call log in %.0f ms "
                        "(read again every 5 s), hold %.1f s; %.0f s in all\n",
                        calls, qlonglong(byEntry.size()), qlonglong(byRange.size()), readMs,
                        kHoldMs / 1000.0, runS);
            std::printf("hang-up, NMBR line's last byte to ATH1's last byte: median %.3f ms (goal <= 2) "
                        "%s, p95 %.3f ms, worst %.3f ms (goal <= 10) %s\n",
                        median, verdict(median <= 2), percentile(latency, 0.95), worst,
                        verdict(worst <= 10));
            std::printf("  by an exact entry: median %.3f ms, worst %.3f ms; by a range: median %.3f "
                        "ms, worst %.3f ms\n",
                        percentile(byEntry, 0.5), percentile(byEntry, 1.0), percentile(byRange, 0.5),
                        percentile(byRange, 1.0));
            std::printf("  slowest:");
            for (const Slow &slow : std::as_const(slowest))
                std::printf(" call %d %.3f ms (listed after %.3f ms);", slow.call, slow.ms, slow.programMs);
            std::printf("\n");
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
