#include "failure/Failure.h"
#include "tests/support/LocaleScope.h"
#include "locale/LocaleSupport.h"
#include "locale/Nls.h"

#include "locale/DateServices.h"

#include <gtest/gtest.h>

#include <array>

namespace {

QDateTime day(int y, int m, int d)
{
    return dates::makeDateTime(QDate(y, m, d));
}

// Formats 13 October 2002 with an explicit pattern.
QString formatWith(const char *pattern)
{
    const SYSTEMTIME st{2002, 10, 0, 13, 0, 0, 0, 0};
    std::array<char, 255> buffer{};
    const int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, pattern, buffer.data(), 255);
    return n > 0 ? QString::fromUtf8(buffer.data(), n - 1) : QStringLiteral("<failed>");
}

struct RegionalCase
{
    const char *locale;
    const char *dateSep;
    const char *timeSep;
    const char *shortDate;
    const char *decimal;
    const char *oct13;      // FormatLocalDate, four-digit year
    const char *oct13Short; // FormatLocalDate as the pattern stands
};

const RegionalCase kRegions[] = {
    {"en_US.UTF-8", "/", ":", "M/d/yy", ".", "10/13/2002", "10/13/02"},
    {"en_GB.UTF-8", "/", ":", "dd/MM/yyyy", ".", "13/10/2002", "13/10/2002"},
    {"de_DE.UTF-8", ".", ":", "dd.MM.yy", ",", "13.10.2002", "13.10.02"},
    {"zh_CN.UTF-8", "/", ":", "yyyy/M/d", ".", "2002/10/13", "2002/10/13"},
    {"C.UTF-8", "/", ":", "M/d/yyyy", ".", "10/13/2002", "10/13/2002"},
    {"POSIX", "/", ":", "M/d/yyyy", ".", "10/13/2002", "10/13/2002"},
};

} // namespace

TEST(RegionalFormats, FollowTheUsersLocale)
{
    for (const RegionalCase &c : kRegions) {
        LocaleScope scope(c.locale);
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(GetLocaleString(29), QString::fromUtf8(c.dateSep));
        EXPECT_EQ(GetLocaleString(30), QString::fromUtf8(c.timeSep));
        EXPECT_EQ(GetLocaleString(31), QString::fromUtf8(c.shortDate));
        EXPECT_EQ(GetLocaleString(14), QString::fromUtf8(c.decimal));
        EXPECT_EQ(FormatLocalDate(day(2002, 10, 13), true), QString::fromUtf8(c.oct13));
        EXPECT_EQ(FormatLocalDate(day(2002, 10, 13), false), QString::fromUtf8(c.oct13Short));
    }
}

TEST(RegionalFormats, TakeEachItemFromItsOwnCategory)
{
    {
        LocaleScope scope("de_DE.UTF-8", "en_US.UTF-8");
        EXPECT_EQ(GetLocaleString(31), QStringLiteral("dd.MM.yy"));
        EXPECT_EQ(GetLocaleString(14), QStringLiteral("."));
    }
    {
        LocaleScope scope(nullptr, nullptr, "de_DE.UTF-8"); // LANG under both
        EXPECT_EQ(GetLocaleString(29), QStringLiteral("."));
        EXPECT_EQ(GetLocaleString(14), QStringLiteral(","));
    }
    {
        LocaleScope scope("fi_FI.UTF-8", nullptr, "C.UTF-8"); // time written 14.25 there
        EXPECT_EQ(GetLocaleString(30), QStringLiteral("."));
        EXPECT_EQ(GetLocaleString(14), QStringLiteral("."));
    }
}

TEST(RegionalFormats, OtherItemsAndFailures)
{
    LocaleScope scope("en_US.UTF-8");
    EXPECT_EQ(GetLocaleString(int(LOCALE_STIMEFORMAT)), QStringLiteral("h:mm:ss tt"));
    EXPECT_EQ(GetLocaleString(int(LOCALE_SMONTHNAME1 + 9)), QStringLiteral("October"));
    EXPECT_EQ(GetLocaleString(int(LOCALE_IDATE)), QStringLiteral("0"));
    EXPECT_EQ(GetLocaleString(0x7FFF), QString()); // no such item

    std::array<char, 4> small{};
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, nullptr, 0), 7);
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, small.data(), 4), 0);
    EXPECT_EQ(GetLastError(), NLS_ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(GetLocaleInfoA(0x409, LOCALE_SDATE, small.data(), 4), 0);
}

TEST(DateFormat, WidensTheYearAsTheUsersPatternAllows)
{
    const struct
    {
        const char *pattern;
        const char *widened;
    } cases[] = {
        {"d/M/yy", "13/10/2002"},
        {"yyyy/M/d", "2002/10/13"},
        {"M/d/y", "10/13/2002"},
        {"yyy-MM-dd", "2002-10-13"},
        {"dd.MM.yy 'yy'", "13.10.2002 yyyy"}, // the literal y is widened too
        {"d 'of' MMMM, yy", "13 of October, 2002"},
    };
    LocaleScope scope("en_US.UTF-8");
    for (const auto &c : cases) {
        QString pattern = QString::fromLatin1(c.pattern);
        if (!pattern.contains(QLatin1String("yyyy"))) {
            if (pattern.contains(QLatin1String("yyy")))
                ReplaceText(pattern, QStringLiteral("yyy"), QStringLiteral("yyyy"));
            else if (pattern.contains(QLatin1String("yy")))
                ReplaceText(pattern, QStringLiteral("yy"), QStringLiteral("yyyy"));
            else
                ReplaceText(pattern, QStringLiteral("y"), QStringLiteral("yyyy"));
        }
        EXPECT_EQ(formatWith(pattern.toUtf8().constData()), QString::fromUtf8(c.widened))
            << c.pattern;
    }
}

TEST(DateFormat, FollowsThePictureLanguage)
{
    LocaleScope scope("en_US.UTF-8");
    const SYSTEMTIME jan5{2009, 1, 0, 5, 0, 0, 0, 0};
    const struct
    {
        const char *pattern;
        const char *expected;
    } cases[] = {
        {"d/M/y", "5/1/9"},
        {"dd/MM/yy", "05/01/09"},
        {"ddd dddd MMM MMMM", "Mon Monday Jan January"},
        {"'It''s' yyyy", "It's 2009"},
        {"'unclosed d", "unclosed d"},
        {"", ""},
    };
    for (const auto &c : cases) {
        std::array<char, 255> buffer{};
        const int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &jan5, c.pattern, buffer.data(), 255);
        ASSERT_GT(n, 0) << c.pattern;
        EXPECT_EQ(QString::fromUtf8(buffer.data(), n - 1), QString::fromUtf8(c.expected))
            << c.pattern;
    }
}

TEST(DateFormat, KeepsTheBufferRules)
{
    LocaleScope scope("en_US.UTF-8");
    const SYSTEMTIME st{2002, 10, 0, 13, 0, 0, 0, 0};
    std::array<char, 16> buffer{};
    buffer.fill('#');
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "yyyy", nullptr, 0), 5);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "yyyy", buffer.data(), 4), 0);
    EXPECT_EQ(GetLastError(), NLS_ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "yyyy", buffer.data(), 5), 5);
    EXPECT_STREQ(buffer.data(), "2002");

    const SYSTEMTIME feb30{2002, 2, 0, 30, 0, 0, 0, 0};
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &feb30, "yyyy", buffer.data(), 16), 0);
    EXPECT_EQ(GetLastError(), NLS_ERROR_INVALID_PARAMETER);
    // A pattern that gives more than 254 bytes does not fit FormatLocalDate's buffer.
    const QByteArray longPattern = QByteArray("yyyy ").repeated(64);
    std::array<char, 255> big{};
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, longPattern.constData(), big.data(), 255),
              0);
}

TEST(ReplaceText, IgnoresCaseAndSkipsWhatItInserted)
{
    const struct
    {
        const char *text;
        const char *find;
        const char *replacement;
        const char *expected;
    } cases[] = {
        {"y-y", "Y", "yyyy", "yyyy-yyyy"},
        {"d/M/YY", "yy", "yyyy", "d/M/yyyy"},
        {"aaa", "a", "aa", "aaaaaa"},
        {"abc", "", "x", "abc"}, // an empty find would never move on
        {"abc", "b", "", "ac"},
        {"", "y", "yyyy", ""},
    };
    for (const auto &c : cases) {
        QString text = QString::fromUtf8(c.text);
        ReplaceText(text, QString::fromUtf8(c.find), QString::fromUtf8(c.replacement));
        EXPECT_EQ(text, QString::fromUtf8(c.expected)) << c.text << " / " << c.find;
    }
}

TEST(FormatLocalDate, HandlesDaysFarOut)
{
    LocaleScope scope("en_GB.UTF-8");
    EXPECT_EQ(FormatLocalDate(day(1899, 12, 30), true), QStringLiteral("30/12/1899"));
    EXPECT_EQ(FormatLocalDate(day(100, 1, 1), true), QStringLiteral("01/01/0100"));
    EXPECT_EQ(FormatLocalDate(day(2000, 2, 29), true), QStringLiteral("29/02/2000"));
    EXPECT_EQ(FormatLocalDate(QDateTime(), true), QString());
}
