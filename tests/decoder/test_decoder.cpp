#include "calllog/CallerIdDecoder.h"
#include "tests/support/FakeClock.h"
#include "calllog/ListLine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <vector>

void PrintTo(const DecodedCall &call, std::ostream *os)
{
    *os << '{' << call.date.toStdString() << ", " << call.time.toStdString() << ", \""
        << call.number.toStdString() << "\"}";
}

void PrintTo(const CompletedCall &call, std::ostream *os)
{
    PrintTo(call.call, os);
    *os << " \"" << call.name.toStdString() << '"';
}

namespace {

const QString kSlash = QStringLiteral("/");
const QString kColon = QStringLiteral(":");

// The clock differs from the reports below, so a part taken from the clock shows.
const QDateTime kDecodingTime = dates::makeDateTime(QDate(2002, 10, 13), QTime(16, 40, 59));

DecodedCall call(const char *date, const char *time, const QString &number)
{
    return {QString::fromUtf8(date), QString::fromUtf8(time), number};
}
// Dated by its report (DATE 1012, TIME 0930) or by the clock.
DecodedCall reportCall(const char *number)
{
    return call("2002/10/12", "09:30", QString::fromUtf8(number));
}
DecodedCall clockCall(const char *number)
{
    return call("2002/10/13", "16:40", QString::fromUtf8(number));
}

struct Decoded
{
    QList<DecodedCall> calls;
    QString leftover;
    QList<CompletedCall> completed;
};

// Feeds `stream` in pieces ending at the given positions, then the rest; then the time
// a report is held open passes.
Decoded decodeInPieces(const QString &stream, const std::vector<qsizetype> &cuts)
{
    const FakeClock clock(kDecodingTime);
    CallerIdDecoder decoder(clock);
    Decoded out;
    qsizetype from = 0;
    auto feed = [&](qsizetype to) {
        out.leftover += stream.sliced(from, to - from);
        out.calls += decoder.decode(out.leftover, kSlash, kColon);
        out.completed += decoder.takeCompleted();
        from = to;
    };
    for (const qsizetype cut : cuts)
        feed(cut);
    feed(stream.size());
    out.calls += decoder.closeReport();
    out.completed += decoder.takeCompleted();
    return out;
}

QString repeated(char c, qsizetype n)
{
    return QString(n, QLatin1Char(c));
}

} // namespace

TEST(CallerIdDecoder, DecodesTheModemReportIntoListLineAndTip)
{
    const FakeClock clock; // 13 October 2002, 14:25
    CallerIdDecoder decoder(clock);
    QString buffer = QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\n");
    const QList<DecodedCall> calls = decoder.decode(buffer, kSlash, kColon);

    ASSERT_EQ(calls.size(), 1);
    const DecodedCall &c = calls[0];
    EXPECT_EQ(c, call("2002/10/13", "14:25", "5550123"));
    EXPECT_TRUE(buffer.isEmpty());
    EXPECT_EQ(listLine(3, QStringLiteral("."), c.date, c.time, c.number),
              QStringLiteral("003.[2002/10/13 14:25] 5550123"));
    EXPECT_EQ(listLine(1000, QStringLiteral(","), c.date, c.time, {}),
              QStringLiteral("1000,[2002/10/13 14:25] "));
    EXPECT_EQ(callTip(c), QStringLiteral("[2002/10/13 14:25] 5550123"));
}

TEST(CallerIdDecoder, LinesOfOneBuffer)
{
    struct Case
    {
        const char *input;
        QList<DecodedCall> calls;
        const char *leftover = "";
    };
    // clang-format off
    const Case cases[] = {
        {"NMBR = 5550123\r\n", {clockCall("5550123")}},
        {"NMBR=5550123\r\n", {clockCall("5550123")}},
        {"NMBR  =\t 5550123\r\n", {clockCall("5550123")}},
        {"NMBR = \r\nNMBR=\r\n", {clockCall(""), clockCall("")}},
        {"DATE TIME=01/06 14:15\r\nNMBRX=5\r\nNMBR 5\r\nDDNX=5\r\nDDN_NMBRX=5\r\nDDN_NMBR 5\r\n", {}},
        // DDN_NMBR and DDN are number lines too.
        {"DDN_NMBR=5550123\r\n", {clockCall("5550123")}},
        {"DDN \t= 5550123\r\n", {clockCall("5550123")}},
        {"DDN=\r\n", {clockCall("")}},
        {"\n\r\n\rNMBR=1\r\n", {clockCall("1")}},
        {"DATE = 10", {}, "DATE = 10"},
        {"NMBR=555", {}, "NMBR=555"},
        // A call is never dated by the lines of the report before it.
        {"DATE=1012\r\nTIME=0930\r\nNMBR=1\r\nNMBR=2\r\n", {reportCall("1"), clockCall("2")}},
        {"DATE=1012\r\nDATE=1332\r\nNMBR=1\r\n", {clockCall("1")}},
        {"NMBR=<B>'; DROP TABLE IDLIST;--\r\n", {clockCall("<B>'; DROP TABLE IDLIST;--")}},
        {"NMBR=５５５ 王\r\n", {clockCall("５５５ 王")}},
    };
    // clang-format on
    for (const Case &c : cases) {
        const Decoded d = decodeInPieces(QString::fromUtf8(c.input), {});
        EXPECT_EQ(d.calls, c.calls) << c.input;
        EXPECT_EQ(d.leftover, QString::fromUtf8(c.leftover)) << c.input;
    }
}

TEST(CallerIdDecoder, InvalidDateOrTimeFallsBackToTheClockForThatPartOnly)
{
    struct Case
    {
        const char *date;
        const char *time;
        const char *expectedDate;
        const char *expectedTime;
    };
    // clang-format off
    const Case cases[] = {
        {"0101", "0000", "2002/01/01", "00:00"}, {"1332", "2359", "2002/10/13", "23:59"},
        {"0230", "0930", "2002/10/13", "09:30"}, {"0000", "0930", "2002/10/13", "09:30"},
        {"10A2", "0930", "2002/10/13", "09:30"}, {"101", "0930", "2002/10/13", "09:30"},
        {"10120", "0930", "2002/10/13", "09:30"}, {"", "0930", "2002/10/13", "09:30"},
        {"1012", "2400", "2002/10/12", "16:40"}, {"1012", "1260", "2002/10/12", "16:40"},
        {"1012", "9:30", "2002/10/12", "16:40"}, {"1012", "０９３０", "2002/10/12", "16:40"},
    };
    // clang-format on
    for (const Case &c : cases) {
        const QString report = QStringLiteral("DATE=%1\r\nTIME=%2\r\nNMBR=1\r\n")
                                   .arg(QString::fromUtf8(c.date), QString::fromUtf8(c.time));
        EXPECT_EQ(decodeInPieces(report, {}).calls,
                  QList<DecodedCall>{call(c.expectedDate, c.expectedTime, "1")})
            << c.date << ' ' << c.time;
    }
}

TEST(CallerIdDecoder, YearOfTheReport)
{
    struct Case
    {
        QDate today;
        const char *date;
        const char *expected;
    };
    // clang-format off
    const Case cases[] = {
        {QDate(2003, 1, 1), "1231", "2002-12-31"},   // decoded just after New Year
        {QDate(2002, 10, 13), "1014", "2002-10-14"}, // one day ahead: a modem clock a bit fast
        {QDate(2002, 10, 13), "1015", "2001-10-15"},
        {QDate(2002, 1, 31), "0201", "2002-02-01"},
        {QDate(2002, 12, 31), "0615", "2002-06-15"},
        {QDate(2025, 1, 1), "0229", "2024-02-29"},
        {QDate(2024, 2, 28), "0229", "2024-02-29"},
        {QDate(2023, 2, 28), "0229", "2023-02-28"},  // no 29 February in 2023: the clock's date
        {QDate(2023, 1, 15), "0229", "2023-01-15"},  // nor in 2022
        {QDate(999, 5, 1), "0501", "0999-05-01"},
    };
    // clang-format on
    for (const Case &c : cases) {
        const FakeClock clock(dates::makeDateTime(c.today, QTime(8, 5)));
        CallerIdDecoder decoder(clock);
        QString buffer = QStringLiteral("DATE=%1\r\nNMBR=1\r\n").arg(QString::fromUtf8(c.date));
        EXPECT_EQ(decoder.decode(buffer, QStringLiteral("-"), QString()),
                  QList<DecodedCall>{call(c.expected, "0805", "1")})
            << c.today.toString(Qt::ISODate).toStdString() << ' ' << c.date;
    }
}

// However the serial layer cuts a stream, the calls and what is left over are the same.
TEST(CallerIdDecoder, CutsAnywhereGiveTheSameCalls)
{
    const QString longest =
        QStringLiteral("NMBR=") + repeated('7', CallerIdDecoder::MaxLineLength - 5);
    struct Case
    {
        QString stream;
        QList<DecodedCall> calls;
        QString leftover = {};
        QStringList names = {}; // of the calls in order; none given: no call has a name
    };
    // clang-format off
    const Case cases[] = {
        {u"RING\r\n\r\nDATE = 1012\r\nTIME = 0930\r\nNMBR = 5550123\r\n\r\nRING\r\n"_qs, {reportCall("5550123")}},
        {u"DATE=1012\r\nTIME=0930\r\nNAME=JOHN DOE\r\nNMBR=5550123\r\n"_qs, {reportCall("5550123")}, {}, {u"JOHN DOE"_qs}},
        {u"MESG=030000\r\nDATE=1012\r\nTIME=0930\r\nNMBR=5550123\r\nNAME=NMBR=1\r\n"_qs, {reportCall("5550123")}, {}, {u"NMBR=1"_qs}},
        {u"RING\r\rDATE=1012\rTIME=0930\rNMBR=5550123\r\rRING\r"_qs, {reportCall("5550123")}},
        {u"RING\n\nDATE=1012\nTIME=0930\nNMBR=5550123\n"_qs, {reportCall("5550123")}},
        {u"RING\r\n\r\nNMBR=5550123\r\n\r\nRING\r\n"_qs, {clockCall("5550123")}},
        {u"DATE=1012\r\nTIME=0930\r\nNMBR=5550123\r\nTIME=0931\r\nDATE=1011\r\nDDN_NMBR=1\r\nNMBR=O\r\n"_qs,
         {reportCall("5550123"), call("2002/10/11", "09:31", "O")}},
        {u"RING\r\n"_qs + repeated('X', 5000) + u"NMBR=6666\r\nDATE=1012\r\nTIME=0930\r\nNMBR=5550123\r\n"_qs,
         {reportCall("5550123")}},
        {longest + u"\r\n"_qs + longest + u"7\r\nNMBR=\r\n"_qs,
         {call("2002/10/13", "16:40", longest.sliced(5)), clockCall("")}},
        {u"ATS0=0\r\r\nOK\r\nAT#CID=1\r\r\nOK\r\n\r\nRING\r\n\r\nDATE = 1012\r\nTIME = 0930\r\nNMBR = 5550123\r\nAT\r"_qs,
         {reportCall("5550123")}},
        {u"NMBR=5550123\r\nDATE=10"_qs, {clockCall("5550123")}, u"DATE=10"_qs},
        {u"RING\r\n\r\nDATE = 1012\r\nTIME = 0930\r\nDDN_NMBR = 5550123\r\n\r\nRING\r\n"_qs, {reportCall("5550123")}},
        {u"RING\rDATE=1012\rTIME=0930\rDDN=5550123\rNAME=JOHN DOE\r\rRING\r"_qs, {reportCall("5550123")}, {}, {u"JOHN DOE"_qs}},
        // A name after its number line, until the report closes; MESG does not close it.
        {u"RING\r\n\r\nDATE=1012\r\nTIME=0930\r\nNMBR=5550123\r\nMESG=030000\r\nNAME = <B>X</B> &AMP; \"O'NEIL\"\r\n\r\nRING\r\n"_qs,
         {reportCall("5550123")}, {}, {u"<B>X</B> &AMP; \"O'NEIL\""_qs}},
        {u"DATE=1012\r\nTIME=0930\r\nNAME=ANN\r\nDDN_NMBR=1\r\nNMBR=5550123\r\nNAME=BOB\r\n"_qs, {reportCall("5550123")}, {}, {u"ANN"_qs}},
        // Closed by a blank line (CR LF, CR or LF alone), RING or the next report's DATE: a
        // later NAME is the next report's, or nobody's.
        {u"NMBR=1\r\n\r\nNAME=LATE\r\nNMBR=2\r\n"_qs, {clockCall("1"), clockCall("2")}, {}, {u""_qs, u"LATE"_qs}},
        {u"NMBR=1\r\rNAME=X\r"_qs, {clockCall("1")}, {}, {u""_qs}},
        {u"NMBR=1\nNAME=A\n\nNAME=B\n"_qs, {clockCall("1")}, {}, {u"A"_qs}},
        {u"NMBR=1\r\nRING 2\r\nNAME=X\r\n"_qs, {clockCall("1")}, {}, {u""_qs}},
        {u"NMBR=1\r\nNAME=A\r\nNAME=B\r\nDATE=1012\r\nTIME=0930\r\nNMBR=5550123\r\n"_qs,
         {clockCall("1"), reportCall("5550123")}, {}, {u"A"_qs, u""_qs}},
        {u"NAME=NOBODY\r\n"_qs, {}},
        {u"NAME=NOBODY\r\n\r\nNMBR=1\r\n"_qs, {clockCall("1")}, {}, {u""_qs}},
        // Number lines alone, the name before or after each.
        {u"NAME=A\r\nNMBR=1\r\nNAME=B\r\nNMBR=2\r\n"_qs, {clockCall("1"), clockCall("2")}, {}, {u"A"_qs, u"B"_qs}},
        {u"NMBR=1\r\nNAME=A\r\nNMBR=2\r\nNAME= B \r\n"_qs, {clockCall("1"), clockCall("2")}, {}, {u"A"_qs, u"B "_qs}},
        {u"DATE=1012\r\nTIME=0930\r\nDDN_NMBR=1\r\nNMBR=5550123\r\nDATE=1012\r\nTIME=0930\r\nNMBR=5550123\r\nDDN=2\r\n"_qs,
         {reportCall("5550123"), reportCall("5550123")}},
        {u"DDN_NMBR=1\r\nDATE=1012\r\nTIME=0930\r\nDDN=5550123\r\nDDN=\r\n"_qs,
         {clockCall("1"), reportCall("5550123"), clockCall("")}},
    };
    // clang-format on
    std::mt19937 random(20021013);
    for (const Case &c : cases) {
        const std::string name = c.stream.left(60).toStdString();
        QList<CompletedCall> completed;
        for (qsizetype i = 0; i < c.calls.size(); ++i)
            completed.append({c.calls[i], c.names.value(i)});
        const Decoded whole = decodeInPieces(c.stream, {});
        EXPECT_EQ(whole.calls, c.calls) << name;
        EXPECT_EQ(whole.leftover, c.leftover) << name;
        EXPECT_EQ(whole.completed, completed) << name;

        for (qsizetype cut = 1; cut < c.stream.size(); ++cut) {
            const Decoded two = decodeInPieces(c.stream, {cut});
            ASSERT_EQ(two.calls, c.calls) << name << " cut at " << cut;
            ASSERT_EQ(two.leftover, c.leftover) << name << " cut at " << cut;
            ASSERT_EQ(two.completed, completed) << name << " cut at " << cut;
        }
        for (const int largest : {3, 64}) {
            std::uniform_int_distribution<int> size(1, largest);
            for (int round = 0; round < 20; ++round) {
                std::vector<qsizetype> cuts;
                for (qsizetype at = size(random); at < c.stream.size(); at += size(random))
                    cuts.push_back(at);
                const Decoded pieces = decodeInPieces(c.stream, cuts);
                ASSERT_EQ(pieces.calls, c.calls) << name << " pieces up to " << largest;
                ASSERT_EQ(pieces.completed, completed) << name << " pieces up to " << largest;
                ASSERT_EQ(pieces.leftover, c.leftover) << name << " pieces up to " << largest;
            }
        }
    }
}

// An NMBR line completes its call at once; a DDN_NMBR or DDN line holds the call until the
// report closes, in case an NMBR line follows. One report, one call, NMBR's number.
TEST(CallerIdDecoder, NumberLinesOfOneReportMakeOneCall)
{
    struct Case
    {
        const char *input;
        QList<DecodedCall> atOnce;
        QList<DecodedCall> atClose;
    };
    const char *const head = "DATE=1012\r\nTIME=0930\r\n";
    // clang-format off
    const Case cases[] = {
        {"NMBR=5550123\r\n", {reportCall("5550123")}, {}},
        {"DDN_NMBR=5550123\r\n", {}, {reportCall("5550123")}},
        {"DDN = 5550123\r\n", {}, {reportCall("5550123")}},
        {"NMBR=5550123\r\nDDN_NMBR=5550999\r\n", {reportCall("5550123")}, {}},
        {"DDN_NMBR=5550999\r\nNMBR=5550123\r\n", {reportCall("5550123")}, {}},
        {"DDN=5550999\r\nNAME=JOHN\r\nDDN_NMBR=1\r\nNMBR=5550123\r\n", {reportCall("5550123")}, {}},
        {"DDN_NMBR=5550123\r\nDDN=5550999\r\n", {}, {reportCall("5550123")}},
        // A tag the report already had, or a DATE or TIME line, begins the next report.
        {"DDN=1\r\nDDN=2\r\nNMBR=3\r\n", {reportCall("1"), clockCall("3")}, {}},
        {"NMBR=1\r\nDDN=2\r\nNMBR=3\r\nDDN=4\r\n", {reportCall("1"), clockCall("3")}, {}},
        {"DDN=1\r\nDATE=1011\r\nTIME=0931\r\nDDN=2\r\n", {reportCall("1")},
         {call("2002/10/11", "09:31", "2")}},
        {"NMBR=1\r\nTIME=0931\r\nDDN=2\r\n", {reportCall("1")}, {call("2002/10/13", "09:31", "2")}},
    };
    // clang-format on
    for (const Case &c : cases) {
        const FakeClock clock(kDecodingTime);
        CallerIdDecoder decoder(clock);
        QString buffer = QString::fromUtf8(head) + QString::fromUtf8(c.input);
        EXPECT_EQ(decoder.decode(buffer, kSlash, kColon), c.atOnce) << c.input;
        EXPECT_EQ(decoder.closeReport(), c.atClose) << c.input;
        EXPECT_EQ(decoder.openReport(), 0u) << c.input;
        EXPECT_TRUE(decoder.closeReport().isEmpty()) << c.input;
    }
}

// The caller times each report from its first number line: a new report gets a new number.
TEST(CallerIdDecoder, EachReportOpensUnderANewNumber)
{
    const FakeClock clock(kDecodingTime);
    CallerIdDecoder decoder(clock);
    QString buffer;
    auto feed = [&](const char *text) {
        buffer += QString::fromUtf8(text);
        return decoder.decode(buffer, kSlash, kColon);
    };
    EXPECT_EQ(decoder.openReport(), 0u);
    EXPECT_EQ(feed("NMBR=1\r\n").size(), 1);
    EXPECT_EQ(decoder.openReport(), 1u);
    EXPECT_TRUE(feed("MESG=0101\r\nDDN=2\r\n").isEmpty());
    EXPECT_EQ(decoder.openReport(), 1u) << "the same report";
    EXPECT_TRUE(feed("DATE=1012\r\n").isEmpty());
    EXPECT_EQ(decoder.openReport(), 0u) << "closed by the next report's first line";
    EXPECT_TRUE(feed("DDN=3\r\nNM").isEmpty());
    EXPECT_EQ(decoder.openReport(), 2u);
    EXPECT_EQ(decoder.closeReport(), QList<DecodedCall>{call("2002/10/12", "16:40", "3")});
    EXPECT_EQ(feed("BR=4\r\n"), QList<DecodedCall>{clockCall("4")})
        << "too late for the closed report";
    EXPECT_EQ(decoder.openReport(), 3u);
}

TEST(CallerIdDecoder, BufferStaysBoundedWithoutLineEnds)
{
    const FakeClock clock(kDecodingTime);
    CallerIdDecoder decoder(clock);
    const QString pattern = QStringLiteral("NMBR=5550123 DATE=1012 ");
    std::mt19937 random(4096);
    std::uniform_int_distribution<int> size(1, 64);
    QString buffer;
    for (qsizetype fed = 0; fed < 1024 * 1024;) {
        for (int n = size(random); n > 0; --n, ++fed)
            buffer += pattern[fed % pattern.size()];
        ASSERT_TRUE(decoder.decode(buffer, kSlash, kColon).isEmpty());
        ASSERT_LE(buffer.size(), CallerIdDecoder::MaxLineLength);
    }
    // The long line's end finally comes; the report after it is decoded as usual.
    buffer += QStringLiteral("NMBR=6666\r\nNMBR=5550123\r\n");
    EXPECT_EQ(decoder.decode(buffer, kSlash, kColon), QList<DecodedCall>{clockCall("5550123")});
    EXPECT_TRUE(buffer.isEmpty());
}

TEST(CallerIdDecoder, ResetForgetsTheReportInProgress)
{
    const FakeClock clock(kDecodingTime);
    CallerIdDecoder decoder(clock);
    QString buffer = QStringLiteral("DATE=1012\r\n") + repeated('X', 5000);
    EXPECT_TRUE(decoder.decode(buffer, kSlash, kColon).isEmpty());

    decoder.reset();
    buffer = QStringLiteral("NMBR=1\r\n");
    EXPECT_EQ(decoder.decode(buffer, kSlash, kColon), QList<DecodedCall>{clockCall("1")});
}
