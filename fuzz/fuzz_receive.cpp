// The window's receive branch and the caller-ID decoder on arbitrary modem output cut
// into arbitrary pieces. Input: one byte of settings (clock, charset, separators), then
// pieces, each a size byte (1..64 bytes follow) and its bytes.
#include "calllog/CallerIdDecoder.h"
#include "fuzz/FuzzCheck.h"

#include <QDate>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

class FixedClock final : public dates::Clock
{
public:
    explicit FixedClock(QDateTime now) : m_now(std::move(now)) {}
    QDateTime now() const override { return m_now; }

private:
    QDateTime m_now;
};

// Moments where the year of a report is decided differently.
const FixedClock &clockFor(int choice)
{
    static const FixedClock clocks[] = {
        FixedClock(dates::makeDateTime(QDate(2002, 10, 13), QTime(16, 40, 59))),
        FixedClock(dates::makeDateTime(QDate(2024, 1, 1), QTime(0, 0, 30))),
        FixedClock(dates::makeDateTime(QDate(2023, 12, 31), QTime(23, 59, 59))),
        FixedClock(dates::makeDateTime(QDate(2024, 2, 29), QTime(12, 0))),
    };
    return clocks[choice % 4];
}

struct Separators
{
    QString date;
    QString time;
};

const Separators &separatorsFor(int choice)
{
    static const Separators separators[] = {
        {QStringLiteral("/"), QStringLiteral(":")},
        {QStringLiteral("."), QStringLiteral(".")},
        {QStringLiteral("-"), QStringLiteral(":")},
        {QStringLiteral("年"), QStringLiteral("时")},
    };
    return separators[choice % 4];
}

// yyyy<sep>MM<sep>dd and hh<sep>mm of a real moment; the number one line's value.
void checkCall(const DecodedCall &call, const Separators &sep)
{
    FUZZ_CHECK(call.date.size() == 8 + 2 * sep.date.size());
    const qsizetype d = sep.date.size();
    FUZZ_CHECK(call.date.mid(4, d) == sep.date && call.date.mid(6 + d, d) == sep.date);
    const QDate date(call.date.left(4).toInt(), call.date.mid(4 + d, 2).toInt(),
                     call.date.mid(6 + 2 * d, 2).toInt());
    FUZZ_CHECK(date.isValid());

    FUZZ_CHECK(call.time.size() == 4 + sep.time.size());
    FUZZ_CHECK(call.time.mid(2, sep.time.size()) == sep.time);
    bool hourOk = false;
    bool minuteOk = false;
    const int hour = call.time.left(2).toInt(&hourOk);
    const int minute = call.time.right(2).toInt(&minuteOk);
    FUZZ_CHECK(hourOk && minuteOk && QTime::isValid(hour, minute, 0));

    FUZZ_CHECK(call.number.size() <= CallerIdDecoder::MaxLineLength);
    FUZZ_CHECK(!call.number.contains(QLatin1Char('\r')) && !call.number.contains(QLatin1Char('\n')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int settings = data[0];
    const dates::Clock &clock = clockFor(settings);
    const Separators &sep = separatorsFor(settings >> 2);
    const bool utf8 = (settings & 0x10) == 0;

    CallerIdDecoder decoder(clock);
    QString strReceive;
    QString everything;
    QList<DecodedCall> calls;
    QList<CompletedCall> completed;

    size_t pos = 1;
    while (pos < size) {
        const size_t want = size_t(data[pos++] % 64) + 1;
        const size_t piece = std::min(want, size - pos);
        const char *bytes = reinterpret_cast<const char *>(data + pos);
        pos += piece;

        // As the window does: the whole text, upper-cased, appended, then decoded.
        const QString text = utf8 ? QString::fromUtf8(bytes, qsizetype(piece))
                                  : QString::fromLatin1(bytes, qsizetype(piece));
        const QString upper = text.toUpper();
        // Upper-casing may lengthen a character to three (U+0390), never more.
        FUZZ_CHECK(upper.size() <= 3 * qsizetype(piece));
        strReceive += upper;
        everything += upper;
        FUZZ_CHECK(strReceive.size() <= 2 * CallerIdDecoder::MaxLineLength + upper.size());

        const QList<DecodedCall> decoded = decoder.decode(strReceive, sep.date, sep.time);
        FUZZ_CHECK(strReceive.size() <= CallerIdDecoder::MaxLineLength);
        for (const DecodedCall &call : decoded)
            checkCall(call, sep);
        calls += decoded;
        completed += decoder.takeCompleted();
    }

    // Where the stream was cut never matters: the same text in one piece gives the same
    // calls once a last line end has come and the last report has closed.
    strReceive += QLatin1Char('\n');
    calls += decoder.decode(strReceive, sep.date, sep.time);
    FUZZ_CHECK(strReceive.isEmpty());
    const QList<DecodedCall> held = decoder.closeReport();
    for (const DecodedCall &call : held)
        checkCall(call, sep);
    calls += held;
    completed += decoder.takeCompleted();
    FUZZ_CHECK(decoder.openReport() == 0);

    // Every call shown is completed once, in the order shown, its name one line's value.
    FUZZ_CHECK(completed.size() == calls.size());
    for (qsizetype i = 0; i < completed.size(); ++i) {
        FUZZ_CHECK(completed[i].call == calls[i]);
        const QString &name = completed[i].name;
        FUZZ_CHECK(name.size() <= CallerIdDecoder::MaxLineLength);
        FUZZ_CHECK(!name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n')));
    }

    CallerIdDecoder whole(clock);
    everything += QLatin1Char('\n');
    QList<DecodedCall> wholeCalls = whole.decode(everything, sep.date, sep.time);
    wholeCalls += whole.closeReport();
    FUZZ_CHECK(everything.isEmpty());
    FUZZ_CHECK(wholeCalls == calls);
    FUZZ_CHECK(whole.takeCompleted() == completed);
    return 0;
}
