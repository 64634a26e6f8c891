// bench_callers: what the phonebook costs. 100,000 entries (numbers of several countries
// written the ways people write them, 1,000 of them ranges) are reduced to their keys and
// stored; a caller's number is looked up among them; 10,000 vCards are read; a call is
// described as the window and the notice show it, by a book of 100,000 and by an empty one.
// References: lookup <= 20 us (median), also what the full book adds to a call's
// description; building < 1 s in at most 30 MB, 10,000 vCards < 3 s.
#include "bench/support/BenchClock.h"
#include "bench/support/SomeNumbers.h"
#include "callers/CallerBook.h"
#include "callers/ContactFiles.h"
#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <thread>

namespace {

// Bytes the heap has given out and not had back, in every arena, mapped blocks included.
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

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

qsizetype g_shownLength = 0;

// A book read from entries, as the call path holds it once its first read is done.
// The source gives texts of their own each read, as a read from the data source does.
std::unique_ptr<CallerBook> readBook(const CallerBook::Entries &entries)
{
    const auto copied = [](const QString &text) { return QString(text.constData(), text.size()); };
    auto book = std::make_unique<CallerBook>(
        [entries, copied] {
            CallerBook::Entries read;
            read.reserve(entries.size());
            for (const NumberDirectory::Entry &entry : entries)
                read.append({copied(entry.number), copied(entry.name), copied(entry.mark)});
            return Result<CallerBook::Entries>(read);
        },
        QStringLiteral("GB"), QLocale(QStringLiteral("en_GB")));
    book->start(3600 * 1000);
    QDeadlineTimer deadline(60000);
    while (!book->readable() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return book;
}

// Each call described twice, for the list's tooltip and for the desktop notice, as the
// window and the call path each do; the time per call, and whether the book named it.
struct Described
{
    QList<double> us;
    QList<bool> named;
};

Described describe(const CallerBook &book, const QStringList &calls)
{
    Described d;
    d.us.reserve(calls.size());
    for (const QString &call : calls) {
        const qint64 before = bench::monotonicNs();
        const CallerShown tip = book.describe(call, QString());
        const CallerShown notice = book.describe(call, QString());
        d.us.append(double(bench::monotonicNs() - before) / 1e3);
        d.named.append(!tip.contact.isEmpty());
        g_shownLength += notice.place.size(); // used: not dropped
    }
    return d;
}

} // namespace

int main(int argc, char **argv)
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

    // The heap the directory holds once built: its entries' texts are its own (copied, as a
    // read from the data source gives them), and what the build used for a while is freed.
    const qint64 heapBefore = heapInUse();
    QList<NumberDirectory::Entry> loaded;
    loaded.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        loaded.append(
            {QString(entries.at(i).constData(), entries.at(i).size()), QString::number(i)});
    start = bench::monotonicNs();
    NumberDirectory directory(numbers);
    directory.addAll(loaded);
    const double buildMs = double(bench::monotonicNs() - start) / 1e6;
    loaded = {};
    const long directoryKb = long((heapInUse() - heapBefore) / 1024);
    // The same, one entry at a time on this thread alone.
    start = bench::monotonicNs();
    NumberDirectory oneByOne(numbers);
    oneByOne.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        oneByOne.add(entries.at(i), QString::number(i));
    const double oneThreadMs = double(bench::monotonicNs() - start) / 1e6;
    oneByOne.clear();

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

    // The same calls described by the full book and by an empty one, alternating rounds
    // so that a change in the machine's load falls on both; compared call by call. A
    // contact needs no place, so the book makes a known caller cheaper: the unknown ones
    // show what it adds.
    QCoreApplication app(argc, argv); // the books read on a thread and report by events
    CallerBook::Entries bookEntries;
    bookEntries.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        bookEntries.append({entries.at(i), QStringLiteral("Contact %1").arg(i)});
    const qint64 heapBeforeBook = heapInUse();
    const std::unique_ptr<CallerBook> fullBook = readBook(bookEntries);
    const long bookKb = long((heapInUse() - heapBeforeBook) / 1024);
    const std::unique_ptr<CallerBook> emptyBook = readBook({});
    (void)describe(*emptyBook, calls.mid(0, 2000)); // the geocoder loads once per book
    (void)describe(*fullBook, calls.mid(0, 2000));
    QList<double> fullUs, emptyUs, addedUs, addedUnknownUs;
    for (int round = 0; round < 3; ++round) {
        const Described full = describe(*fullBook, calls);
        const Described empty = describe(*emptyBook, calls);
        fullUs += full.us;
        emptyUs += empty.us;
        for (qsizetype i = 0; i < calls.size(); ++i) {
            addedUs.append(full.us.at(i) - empty.us.at(i));
            if (!full.named.at(i))
                addedUnknownUs.append(full.us.at(i) - empty.us.at(i));
        }
    }
    const double addedUnknown = bench::median(addedUnknownUs);

    std::printf("phonebook: %d entries written (%lld different, %d ranges) in region GB; "
                "libphonenumber's first use %.1f ms\n",
                kEntries, qlonglong(directory.size()), kRanges, firstUseMs);
    std::printf("phonebook built from 100000 entries on %u threads: %.0f ms (goal < 1000) %s; "
                "memory %ld KB (goal <= 30720) %s\n",
                std::max(1u, std::thread::hardware_concurrency()), buildMs, verdict(buildMs < 1000),
                directoryKb, verdict(directoryKb <= 30720));
    std::printf("  one entry at a time on one thread: %.0f ms\n", oneThreadMs);
    std::printf("  the phonebook as the program holds it once read (directory and rules on names): "
                "%ld KB (goal <= 30720) %s\n",
                bookKb, verdict(bookKb <= 30720));
    std::printf("caller lookup among 100000 entries, %d calls (%d found): median %.2f us, p95 %.2f "
                "us (goal <= 20) %s\n",
                kCalls, found, lookupMedian, lookupP95, verdict(lookupMedian <= 20));
    std::printf("vCards read: %d cards, %lld entries in %.0f ms (goal < 3000) %s\n", kCards,
                qlonglong(contents.entries.size()), cardsMs, verdict(cardsMs < 3000));
    std::printf(
        "place of a number: first (loads the geocoder) %.1f ms (\"%s\"), then median %.2f us\n",
        geocoderLoadMs, qPrintable(london), bench::median(placeUs));
    std::printf("a call described for its tooltip and its notice (lookup, number formatted, place "
                "of an unknown caller), %lld calls: 100000-entry book median %.2f us, empty book "
                "%.2f us\n",
                qlonglong(fullUs.size()), bench::median(fullUs), bench::median(emptyUs));
    std::printf("  the 100000-entry book's extra per call, same call compared: median %.2f us over "
                "all calls, %.2f us over the %lld it does not know (goal <= 20) %s\n",
                bench::median(addedUs), addedUnknown, qlonglong(addedUnknownUs.size()),
                verdict(addedUnknown <= 20));
    return 0;
}
