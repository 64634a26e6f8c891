// The day view's pieces that need no window: the query text, the list line of a stored
// row and the paging steps.
#include "calllog/CallLog.h"
#include "calllog/DayView.h"

#include "locale/DateServices.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

namespace {

QDateTime at(int y, int m, int d, int h, int min)
{
    return dates::makeDateTime(QDate(y, m, d), QTime(h, min));
}

} // namespace

TEST(DayQuery, DayNumbersArePlainDecimalWhateverTheLocale)
{
    struct Case
    {
        QDate day;
        const char *query;
    };
    const Case cases[] = {
        {QDate(2002, 10, 13), "select * from idlist where datetime>=37542 and datetime<37543"},
        {QDate(1899, 12, 30), "select * from idlist where datetime>=0 and datetime<1"},
        {QDate(1899, 12, 29), "select * from idlist where datetime>=-1 and datetime<0"},
        {QDate(1899, 12, 1), "select * from idlist where datetime>=-29 and datetime<-28"},
        {QDate(100, 1, 1), "select * from idlist where datetime>=-657434 and datetime<-657433"},
        {QDate(9999, 12, 31), "select * from idlist where datetime>=2958465 and datetime<2958466"},
    };
    // Group separators and a decimal comma must never reach the query.
    for (const char *locale : {"en_US.UTF-8", "de_DE.UTF-8"}) {
        LocaleScope scope(locale);
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(locale) + " " + c.day.toString(Qt::ISODate).toStdString());
            EXPECT_EQ(CallLog::dayQuery(c.day), QString::fromLatin1(c.query));
        }
    }
}

TEST(StoredCallLine, RowValuesBecomeTheListLine)
{
    const QString hostile = QStringLiteral("<b>x</b>&amp;'; --");
    struct Case
    {
        int listNumber;
        const char *decimalSep;
        QVariant dateTime;
        QVariant number;
        const char *dateSep;
        const char *timeSep;
        QString line;
    };
    const Case cases[] = {
        {1, ".", at(2002, 10, 13, 14, 25), QStringLiteral("5550123"), "/", ":",
         QStringLiteral("001.[2002/10/13 14:25] 5550123")},
        {2, ",", at(2002, 10, 13, 14, 25), QStringLiteral("5550123"), ".", ".",
         QStringLiteral("002,[2002.10.13 14.25] 5550123")},
        {12, ".", at(2002, 1, 2, 0, 0), QVariant(), "/", ":",
         QStringLiteral("012.[2002/01/02 00:00] ")},
        {3, ".", at(2002, 1, 2, 23, 59), QStringLiteral(""), "-", "h",
         QStringLiteral("003.[2002-01-02 23h59] ")},
        {1000, ".", at(1899, 12, 29, 12, 0), QStringLiteral("1"), "", "",
         QStringLiteral("1000.[18991229 1200] 1")},
        {32767, ".", at(2002, 10, 13, 14, 25), hostile, "/", ":",
         QStringLiteral("32767.[2002/10/13 14:25] ") + hostile},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(dayview::storedCallLine(c.listNumber, QString::fromLatin1(c.decimalSep), c.dateTime,
                                          c.number, QString::fromLatin1(c.dateSep),
                                          QString::fromLatin1(c.timeSep)),
                  c.line);
    }
}

TEST(StoredCallLine, AnOversizedStoredNumberIsCut)
{
    const QString huge(1 << 20, QLatin1Char('9'));
    const QString line = dayview::storedCallLine(1, QStringLiteral("."), at(2002, 10, 13, 14, 25),
                                                 huge, QStringLiteral("/"), QStringLiteral(":"));
    EXPECT_TRUE(line.startsWith(QStringLiteral("001.[2002/10/13 14:25] 999")));
    EXPECT_LT(line.size(), 5000);
}

TEST(PagedDay, StepsStayWithinTheDaysADayTextCanName)
{
    LocaleScope scope("en_US.UTF-8");
    struct Case
    {
        const char *text;
        int days;
        QDate expected; // invalid: nothing to page to
    };
    const Case cases[] = {
        {"3/1/2000", -1, QDate(2000, 2, 29)},
        {"3/1/1900", -1, QDate(1900, 2, 28)},
        {"12/31/1899", -1, QDate(1899, 12, 30)},
        {"2002-10-13", 1, QDate(2002, 10, 14)},
        {" 10/13/2002 14:25 ", -1, QDate(2002, 10, 12)},
        {"12/31/9999", 1, QDate()},
        {"1/2/0100", -1, QDate(100, 1, 1)},
        {"1/1/0100", -1, QDate()},
        {"2/30/2002", 1, QDate()},
        {"", -1, QDate()},
        {"tomorrow", 1, QDate()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "' " + std::to_string(c.days));
        const std::optional<QDate> day = dayview::pagedDay(QString::fromLatin1(c.text), c.days);
        if (c.expected.isValid())
            EXPECT_EQ(day, std::optional<QDate>(c.expected));
        else
            EXPECT_FALSE(day.has_value()) << day->toString(Qt::ISODate).toStdString();
    }
}
