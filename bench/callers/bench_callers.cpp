// bench_callers: what the phonebook costs. 100,000 entries (numbers of several countries
// written the ways people write them, 1,000 of them ranges) are reduced to their keys and
// stored; a caller's number is looked up among them; 10,000 vCards are read. References:
// lookup <= 20 us (median), building < 1 s in at most 30 MB, 10,000 vCards < 3 s.
#include "bench/startup/ProcStatus.h"
#include "bench/support/BenchClock.h"
#include "bench/support/SomeNumbers.h"
#include "callers/ContactFiles.h"
#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"

#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

using bench::asTheLineSendsIt;
using bench::digits;
using bench::someNumber;
using bench::someRange;

constexpr int kEntries = 100000;
constexpr int kRanges = 1000;
constexpr int kCalls = 20000;
constexpr int kCards = 10000;

QByteArray someCards(QRandomGenerator &random, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        const QByteArray number = someNumber(random).toUtf8();
        if (i % 2 == 0) {
            text += "BEGIN:VCARD\r\nVERSION:2.1\r\n"
                    "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller " +
                    QByteArray::number(i) +
                    ";J=C3=BCrgen;;;\r\n"
                    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller " +
                    QByteArray::number(i) + "\r\nTEL;CELL;PREF:" + number +
                    "\r\nTEL;HOME:" + number + "1\r\nEND:VCARD\r\n";
        } else {
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Smith\\, Jane " + QByteArray::number(i) +
                    "\r\nN:Smith;Jane;;;\r\nitem1.TEL;TYPE=CELL:" + number +
                    "\r\nitem1.X-ABLabel:Office\r\nEMAIL;TYPE=INTERNET:jane@example.org\r\n"
                    "NOTE:A note long enough to be folded over more than one line of the card\r\n"
                    " so that unfolding is part of the work\r\nEND:VCARD\r\n";
        }
    }
    return text;
}

const char *verdict(bool met)
{
    return met ? "MET" : "NOT MET";
}

} // namespace

int main()
{
    qputenv("LC_ALL", "C.UTF-8");
    QRandomGenerator random(20261210);

    QStringList entries;
    entries.reserve(kEntries);
    for (int i = 0; i < kEntries - kRanges; ++i)
        entries.append(someNumber(random));
    for (int i = 0; i < kRanges; ++i)
        entries.append(someRange(random));

    const PhoneNumbers numbers(QStringLiteral("GB"), QLocale(QStringLiteral("en_GB")));
    // libphonenumber reads its tables on first use, once per process, not per phonebook.
    qint64 start = bench::monotonicNs();
    (void)numbers.exactKey(QStringLiteral("02079460958"));
    const double firstUseMs = double(bench::monotonicNs() - start) / 1e6;

    QList<NumberDirectory::Entry> loaded;
    loaded.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        loaded.append({entries.at(i), QString::number(i)});
    const long rssBefore = statusKb("VmRSS:");
    start = bench::monotonicNs();
    NumberDirectory directory(numbers);
    directory.addAll(loaded);
    const double buildMs = double(bench::monotonicNs() - start) / 1e6;
    loaded.clear();
    // The same, one entry at a time on this thread alone.
    start = bench::monotonicNs();
    NumberDirectory oneByOne(numbers);
    oneByOne.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        oneByOne.add(entries.at(i), QString::number(i));
    const double oneThreadMs = double(bench::monotonicNs() - start) / 1e6;
    oneByOne.clear();
    const long directoryKb = statusKb("VmRSS:") - rssBefore;

    // Calls: half in the phonebook, a quarter in a range or near one, a quarter unknown or
    // markers.
    QStringList calls;
    calls.reserve(kCalls);
    for (int i = 0; i < kCalls; ++i) {
        switch (i % 8) {
        case 0:
        case 1:
        case 2:
        case 3:
            calls.append(asTheLineSendsIt(entries.at(random.bounded(kEntries - kRanges))));
            break;
        case 4:
            calls.append(QStringLiteral("0800") + digits(random, 7));
            break;
        case 5:
            calls.append(QStringLiteral("020794") + digits(random, 5));
            break;
        case 6:
            calls.append(asTheLineSendsIt(someNumber(random)));
            break;
        default:
            calls.append(i % 16 == 7 ? QStringLiteral("P") : QStringLiteral("O"));
            break;
        }
    }
    QList<double> lookupUs;
    lookupUs.reserve(kCalls);
    int found = 0;
    for (const QString &call : std::as_const(calls)) {
        const qint64 before = bench::monotonicNs();
        const QString value = directory.lookup(call);
        lookupUs.append(double(bench::monotonicNs() - before) / 1e3);
        found += value.isEmpty() ? 0 : 1;
    }
    const double lookupMedian = bench::median(lookupUs);
    std::sort(lookupUs.begin(), lookupUs.end());
    const double lookupP95 = lookupUs.at(lookupUs.size() * 95 / 100);

    const QByteArray cards = someCards(random, kCards);
    start = bench::monotonicNs();
    const contactfiles::Contents contents = contactfiles::readVCards(cards);
    const double cardsMs = double(bench::monotonicNs() - start) / 1e6;

    start = bench::monotonicNs();
    const QString london = numbers.place(QStringLiteral("02079460958"));
    const double geocoderLoadMs = double(bench::monotonicNs() - start) / 1e6;
    QList<double> placeUs;
    for (int i = 0; i < 2000; ++i) {
        const qint64 before = bench::monotonicNs();
        (void)numbers.place(calls.at(i));
        placeUs.append(double(bench::monotonicNs() - before) / 1e3);
    }

    std::printf("phonebook: %d entries written (%lld different, %d ranges) in region GB; "
                "libphonenumber's first use %.1f ms\n",
                kEntries, qlonglong(directory.size()), kRanges, firstUseMs);
    std::printf("phonebook built from 100000 entries on %u threads: %.0f ms (goal < 1000) %s; "
                "memory %ld KB (goal <= 30720) %s\n",
                std::max(1u, std::thread::hardware_concurrency()), buildMs, verdict(buildMs < 1000),
                directoryKb, verdict(directoryKb <= 30720));
    std::printf("  one entry at a time on one thread: %.0f ms\n", oneThreadMs);
    std::printf("caller lookup among 100000 entries, %d calls (%d found): median %.2f us, p95 %.2f "
                "us (goal <= 20) %s\n",
                kCalls, found, lookupMedian, lookupP95, verdict(lookupMedian <= 20));
    std::printf("vCards read: %d cards, %lld entries in %.0f ms (goal < 3000) %s\n", kCards,
                qlonglong(contents.entries.size()), cardsMs, verdict(cardsMs < 3000));
    std::printf(
        "place of a number: first (loads the geocoder) %.1f ms (\"%s\"), then median %.2f us\n",
        geocoderLoadMs, qPrintable(london), bench::median(placeUs));
    return 0;
}
