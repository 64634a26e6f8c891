#include "locale/LocaleDates.h"
#include "tests/support/LocaleScope.h"
#include "locale/LocaleSupport.h"

#include "locale/DateServices.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using dates::parseDayText;

namespace {

const char *const kLocales[] = {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8",
                                "zh_CN.UTF-8", "C.UTF-8",     "fi_FI.UTF-8",
                                "hu_HU.UTF-8", "ko_KR.UTF-8", "bg_BG.UTF-8"};

const QDate kDays[] = {QDate(2002, 10, 13), QDate(1899, 12, 30), QDate(1899, 12, 29),
                       QDate(1800, 1, 1),   QDate(100, 1, 1),    QDate(9999, 12, 31),
                       QDate(2000, 2, 29),  QDate(2024, 2, 29),  QDate(2023, 2, 28),
                       QDate(2002, 1, 31),  QDate(2002, 4, 30),  QDate(2029, 12, 31)};

} // namespace

TEST(DayText, ReadsWhatFormatLocalDateWritesUnderEveryLocale)
{
    for (const char *locale : kLocales) {
        LocaleScope scope(locale);
        for (const QDate &d : kDays) {
            const QString text = FormatLocalDate(dates::makeDateTime(d), true);
            EXPECT_EQ(parseDayText(text), d) << locale << " " << text.toStdString();
            // and what the day entry shows after a time of day was typed behind it
            const QString general =
                dates::formatGeneralDate(dates::makeDateTime(d, QTime(14, 25, 7)));
            EXPECT_EQ(parseDayText(general), d) << locale << " " << general.toStdString();
        }
    }
}

TEST(DayText, ReadsShortYearsAndYearFirstForms)
{
    const struct
    {
        const char *locale;
        const char *text;
        QDate expected;
    } cases[] = {
        {"en_US.UTF-8", "10/13/02", QDate(2002, 10, 13)},
        {"en_US.UTF-8", "10/13/29", QDate(2029, 10, 13)},
        {"en_US.UTF-8", "10/13/30", QDate(1930, 10, 13)},
        {"en_US.UTF-8", "1/2/3", QDate(2003, 1, 2)},
        {"en_US.UTF-8", " 2002-10-13 ", QDate(2002, 10, 13)},
        {"en_GB.UTF-8", "2002/10/13", QDate(2002, 10, 13)},
        {"en_GB.UTF-8", "13/10/2002 2:25:00 pm", QDate(2002, 10, 13)},
        {"de_DE.UTF-8", "13.10.02", QDate(2002, 10, 13)},
        {"de_DE.UTF-8", "2002-10-13T14:25:00", QDate(2002, 10, 13)},
        {"zh_CN.UTF-8", "02/10/13", QDate(2002, 10, 13)},
        {"zh_CN.UTF-8", "2002/10/13 下午2:25:00", QDate(2002, 10, 13)},
    };
    for (const auto &c : cases) {
        LocaleScope scope(c.locale);
        EXPECT_EQ(parseDayText(QString::fromUtf8(c.text)), c.expected) << c.locale << " " << c.text;
    }
}

TEST(DayText, RejectsWhatIsNotADay)
{
    LocaleScope scope("en_GB.UTF-8");
    for (const char *text : {"",
                             "   ",
                             "x",
                             "13/10",
                             "13",
                             "31/02/2002",
                             "29/02/2023",
                             "32/01/2002",
                             "13/13/2002",
                             "13/10/20022",
                             "13/10/0099",
                             "13/10/2002x",
                             "13/10/2002 junk",
                             "13/10/2002 25:00",
                             "13/10/2002 14",
                             "13/10/2002 14:25:00:01",
                             "13/10/2002/14:25",
                             "today",
                             "-13/10/2002",
                             "13/10/2002 14:61",
                             "1e3/10/2002",
                             "１３/10/2002"}) {
        EXPECT_FALSE(parseDayText(QString::fromUtf8(text)).has_value()) << text;
    }
}

TEST(DayText, SurvivesAnyInput)
{
    LocaleScope scope("zh_CN.UTF-8");
    QRandomGenerator random(1013);
    const QString alphabet = QStringLiteral("0123456789/-.: Tapm年月日\t\u200f");
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = random.bounded(40);
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];
        const auto parsed = parseDayText(text);
        EXPECT_TRUE(!parsed || parsed->isValid()) << text.toStdString();
    }
    EXPECT_FALSE(parseDayText(QString(100000, QLatin1Char('1'))).has_value());
    EXPECT_FALSE(parseDayText(QString(100000, QLatin1Char('/'))).has_value());
}

TEST(GeneralDate, IsTheShortDateAndTheLongTime)
{
    const struct
    {
        const char *locale;
        const char *expected;
    } cases[] = {
        {"en_US.UTF-8", "10/13/2002 2:25:07 PM"}, {"en_GB.UTF-8", "13/10/2002 14:25:07"},
        {"de_DE.UTF-8", "13.10.2002 14:25:07"},   {"zh_CN.UTF-8", "2002/10/13 14:25:07"},
        {"C.UTF-8", "10/13/2002 14:25:07"},
    };
    const QDateTime when = dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25, 7));
    for (const auto &c : cases) {
        LocaleScope scope(c.locale);
        EXPECT_EQ(dates::formatGeneralDate(when), QString::fromUtf8(c.expected)) << c.locale;
    }
    LocaleScope scope("en_US.UTF-8");
    EXPECT_EQ(dates::formatGeneralDate(dates::makeDateTime(QDate(2002, 10, 13), QTime(0, 5))),
              QStringLiteral("10/13/2002 12:05:00 AM"));
}

TEST(DecimalSeparator, ComesFromTheNumberLocale)
{
    LocaleScope scope("en_US.UTF-8", "de_DE.UTF-8");
    EXPECT_EQ(dates::decimalSeparator(), QStringLiteral(","));
    EXPECT_EQ(dates::formatListNumber(3, dates::decimalSeparator()), QStringLiteral("003,"));
}
