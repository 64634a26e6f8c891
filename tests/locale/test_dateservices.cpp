#include "locale/DateServices.h"

#include <gtest/gtest.h>

using namespace dates;

namespace {

struct DayCase
{
    QDate date;
    QTime time;
    double dayNumber;
};

const DayCase kDays[] = {
    {QDate(1899, 12, 30), QTime(0, 0), 0.0},
    {QDate(1899, 12, 29), QTime(0, 0), -1.0},
    {QDate(1899, 12, 29), QTime(6, 0), -0.75}, // linear: still between -1 and 0
    {QDate(1900, 3, 1), QTime(0, 0), 61.0},
    {QDate(2002, 10, 13), QTime(0, 0), 37542.0},
    {QDate(2002, 10, 13), QTime(14, 24), 37542.6},
    {QDate(2000, 2, 29), QTime(12, 0), 36585.5},
    {QDate(2024, 12, 31), QTime(23, 59), 45657.0 + 1439.0 / 1440.0},
};

} // namespace

TEST(DayNumbers, RoundTripThroughKnownDays)
{
    for (const DayCase &c : kDays) {
        const QDateTime dt = makeDateTime(c.date, c.time);
        EXPECT_NEAR(toDayNumber(dt), c.dayNumber, 1e-9) << c.date.toString(Qt::ISODate).toStdString();
        const QDateTime back = fromDayNumber(c.dayNumber);
        EXPECT_EQ(back.date(), c.date);
        EXPECT_EQ(back.time(), c.time);
    }
}

TEST(DayNumbers, EveryMinuteOfADaySurvivesDoublePrecision)
{
    for (int minute = 0; minute < 1440; ++minute) {
        const QDateTime dt = makeDateTime(QDate(2026, 3, 29), QTime(0, 0).addSecs(minute * 60));
        EXPECT_EQ(fromDayNumber(toDayNumber(dt)), dt);
    }
}

TEST(DayNumbers, OutOfRangeGivesInvalid)
{
    EXPECT_FALSE(fromDayNumber(1e12).isValid());
    EXPECT_FALSE(fromDayNumber(std::numeric_limits<double>::quiet_NaN()).isValid());
}

TEST(CallStamp, ParsesWhateverTheSeparators)
{
    const QDateTime expected = makeDateTime(QDate(2002, 10, 13), QTime(14, 25));
    for (const char *text : {"2002/10/13 14:25", "2002-10-13 14.25", "2002.10.13 14:25",
                             "20021013 1425", "2002 10 13 14 25", "2002年10月13 14時25"}) {
        const auto parsed = parseCallStamp(QString::fromUtf8(text));
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_EQ(*parsed, expected) << text;
    }
}

TEST(CallStamp, RejectsWhatCannotBeAStoredDate)
{
    for (const char *text : {"", "2002/10/13", "2002/13/13 14:25", "2002/02/30 14:25",
                             "2002/10/13 24:00", "2002/10/13 14:25:00", "x"}) {
        EXPECT_FALSE(parseCallStamp(QString::fromUtf8(text)).has_value()) << text;
    }
}

TEST(CallStamp, FormatsWithTheGivenSeparators)
{
    const QDateTime dt = makeDateTime(QDate(2002, 1, 3), QTime(4, 5));
    EXPECT_EQ(formatCallStamp(dt, "/", ":"), QStringLiteral("2002/01/03 04:05"));
    EXPECT_EQ(formatCallStamp(dt, ".", "."), QStringLiteral("2002.01.03 04.05"));
    EXPECT_EQ(formatCallStamp(dt, "", ""), QStringLiteral("20020103 0405"));
    EXPECT_EQ(parseCallStamp(formatCallStamp(dt, "", "")), dt);
}

TEST(ListNumber, AtLeastThreeDigitsThenTheSeparator)
{
    EXPECT_EQ(formatListNumber(3, "."), QStringLiteral("003."));
    EXPECT_EQ(formatListNumber(42, ","), QStringLiteral("042,"));
    EXPECT_EQ(formatListNumber(32767, "."), QStringLiteral("32767."));
}
