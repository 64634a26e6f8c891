// The day history view in the window, over the real SQLite ODBC driver, with the calls
// written by the store itself and "today" from a clock the test sets.
#include "calllog/CallLog.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "tests/support/LocaleScope.h"
#include "locale/LocaleSupport.h"
#include "tests/calllog/OdbcSandbox.h"
#include "shell/ReceiveLogView.h"
#include "calllog/TAPI.h"
#include "picturebutton/btn.h"
#include "shell/frmMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr std::int32_t LOCALE_SDATE = 29;
constexpr std::int32_t LOCALE_STIME = 30;

class DayView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        TAPI::releaseConnection();
        TAPI::connection().setCursorLocation(db::adUseClient);
        TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), QString(), QString(), -1);
        window = std::make_unique<frmMain>(new FakeComm, clock);
        window->startCallLog();
        useLocaleSeparators();
    }

    void TearDown() override
    {
        window.reset();
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
    }

    // What start-up reads into the window.
    void useLocaleSeparators()
    {
        window->strDateSep = GetLocaleString(LOCALE_SDATE);
        window->strTimeSep = GetLocaleString(LOCALE_STIME);
    }

    void store(const QDate &day, const QTime &time, const QString &number)
    {
        const QString stamp = dates::formatCallStamp(dates::makeDateTime(day, time),
                                                     window->strDateSep, window->strTimeSep);
        const Result<TAPI::Store> stored = TAPI::AddCallRecord(stamp, number);
        ASSERT_TRUE(stored && *stored == TAPI::Store::Stored) << stored.errorString().toStdString();
    }

    static void click(btn *button) { QTest::mouseClick(button, Qt::LeftButton); }

    void enterDay(const QString &text)
    {
        window->brDay->clear();
        QTest::keyClicks(window->brDay, text);
        QTest::keyClick(window->brDay, Qt::Key_Return);
    }

    QStringList listLines() const
    {
        QStringList lines;
        for (int i = 0; i < window->lstCID->count(); ++i)
            lines << window->lstCID->item(i)->text();
        return lines;
    }

    QString day() const { return window->brDay->text(); }
    QString log() const { return window->RcvText->toPlainText(); }

    // Pinned before the window exists and kept until it is gone.
    LocaleScope locale{"en_US.UTF-8"};
    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(DayView, TodayListsTodaysCallsOnly)
{
    store(QDate(2002, 10, 12), QTime(23, 59), QStringLiteral("5550100"));
    store(QDate(2002, 10, 13), QTime(0, 0), QStringLiteral("5550101"));
    store(QDate(2002, 10, 13), QTime(14, 25), QString());
    store(QDate(2002, 10, 14), QTime(0, 0), QStringLiteral("5550102"));

    click(window->brToday);

    EXPECT_EQ(day(), QStringLiteral("10/13/2002"));
    EXPECT_EQ(listLines(), (QStringList{QStringLiteral("001.[2002/10/13 00:00] 5550101"),
                                        QStringLiteral("002.[2002/10/13 14:25] ")}));
}

TEST_F(DayView, NamesInTheLogAreTheTooltipsOfTheirLines)
{
    db::Connection &admin = OdbcSandbox::instance().admin();
    if (const Result<bool> added = CallLog::addNameColumn(admin); !added)
        throw added.failure();
    const QVariantList names{QStringLiteral("<b>x</b>"), QStringLiteral("&amp;"), QVariant()};
    for (int i = 0; i < 3; ++i)
        admin.Execute(
            QStringLiteral("INSERT INTO IDList (datetime, number, name) VALUES (?, ?, ?)"),
            {dates::toDayNumber(dates::makeDateTime(QDate(2002, 10, 13), QTime(9, i))),
             QStringLiteral("555"), names[i]});
    // The window's connection sees the column from its next open, as after a restart.
    TAPI::releaseConnection();
    TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), QString(), QString(), -1);

    click(window->brToday);
    ASSERT_EQ(listLines().size(), 3);
    EXPECT_EQ(listLines().at(0), QStringLiteral("001.[2002/10/13 09:00] 555"));
    for (int i = 0; i < 3; ++i) {
        QTextDocument shown;
        shown.setHtml(window->lstCID->item(i)->toolTip());
        EXPECT_EQ(shown.toPlainText(), names[i].toString());
    }
}

TEST_F(DayView, PagingCrossesMonthEndsLeapDaysAndYearEnds)
{
    struct Case
    {
        const char *from;
        bool next;
        const char *to;
        QDate callDay;
    };
    const Case cases[] = {
        {"1/31/2002", true, "2/1/2002", QDate(2002, 2, 1)},
        {"2/1/2002", false, "1/31/2002", QDate(2002, 1, 31)},
        {"3/1/2004", false, "2/29/2004", QDate(2004, 2, 29)},
        {"2/29/2004", true, "3/1/2004", QDate(2004, 3, 1)},
        {"3/1/2003", false, "2/28/2003", QDate(2003, 2, 28)},
        {"12/31/2002", true, "1/1/2003", QDate(2003, 1, 1)},
        {"1/1/2003", false, "12/31/2002", QDate(2002, 12, 31)},
    };
    for (const Case &c : cases)
        store(c.callDay, QTime(12, 0), QString::number(c.callDay.toJulianDay()));

    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + (c.next ? " next" : " prev"));
        window->brDay->setText(QString::fromLatin1(c.from));
        click(c.next ? window->brNext : window->brPrev);
        EXPECT_EQ(day(), QString::fromLatin1(c.to));
        EXPECT_EQ(listLines(), QStringList{dates::formatCallDate(c.callDay, QStringLiteral("/"))
                                               .prepend(QStringLiteral("001.["))
                                               .append(QStringLiteral(" 12:00] ") +
                                                       QString::number(c.callDay.toJulianDay()))});
    }
}

TEST_F(DayView, ATypedYearFirstDayIsAppliedByEnterAndRewrittenByPaging)
{
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    store(QDate(2002, 10, 14), QTime(9, 1), QStringLiteral("5550124"));
    window->brDay->setText(QStringLiteral("1/1/2002"));

    enterDay(QStringLiteral("2002-10-13"));
    EXPECT_EQ(day(), QStringLiteral("2002-10-13")) << "Enter applies the day as typed";
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/13 14:25] 5550123")});

    click(window->brNext);
    EXPECT_EQ(day(), QStringLiteral("10/14/2002"));
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/14 09:01] 5550124")});
}

TEST_F(DayView, ADayWithoutCallsGivesAnEmptyListAndNoComplaint)
{
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    click(window->brToday);
    ASSERT_EQ(listLines().size(), 1);
    const QString tip = window->strTip;

    click(window->brNext);
    EXPECT_EQ(day(), QStringLiteral("10/14/2002"));
    EXPECT_TRUE(listLines().isEmpty());
    EXPECT_EQ(window->strTip, tip);
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(DayView, ADayTextThatIsNoDayChangesNothing)
{
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    click(window->brToday);
    const QStringList shown = listLines();
    ASSERT_EQ(shown.size(), 1);

    for (const char *text : {"someday", "2/30/2002", "13/10/2002", ""}) {
        SCOPED_TRACE(text);
        enterDay(QString::fromLatin1(text));
        EXPECT_EQ(listLines(), shown);
        EXPECT_EQ(day(), QString::fromLatin1(text));
        click(window->brNext);
        click(window->brPrev);
        EXPECT_EQ(day(), QString::fromLatin1(text)) << "paging leaves a day it cannot read alone";
        EXPECT_EQ(listLines(), shown);
    }

    // The last day there is: the day after it cannot be written, so nothing moves.
    enterDay(QStringLiteral("12/31/9999"));
    EXPECT_TRUE(listLines().isEmpty());
    click(window->brNext);
    EXPECT_EQ(day(), QStringLiteral("12/31/9999"));
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(DayView, WithTheCallLogOffPagingRewritesTheDayAndKeepsTheList)
{
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    store(QDate(2002, 10, 12), QTime(8, 0), QStringLiteral("5550100"));
    click(window->brToday);
    const QStringList shown = listLines();
    ASSERT_EQ(shown.size(), 1);

    TAPI::releaseConnection(); // the next use finds a new, closed connection
    click(window->brPrev);
    EXPECT_EQ(day(), QStringLiteral("10/12/2002"));
    EXPECT_EQ(listLines(), shown);
    enterDay(QStringLiteral("10/12/2002"));
    EXPECT_EQ(listLines(), shown);
    EXPECT_TRUE(log().isEmpty()) << "a log that is off was reported at start-up";
}

TEST_F(DayView, ACallDecodedWhileYesterdayIsShownJoinsYesterdaysList)
{
    store(QDate(2002, 10, 12), QTime(8, 0), QStringLiteral("5550100"));
    click(window->brToday);
    click(window->brPrev);
    ASSERT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/12 08:00] 5550100")});

    window->strReceive = QStringLiteral("DATE = 1013\r\nTIME = 1530\r\nNMBR = 5550199\r\n");
    window->ReceiveExplain();
    EXPECT_EQ(listLines(), (QStringList{QStringLiteral("001.[2002/10/12 08:00] 5550100"),
                                        QStringLiteral("002.[2002/10/13 15:30] 5550199")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->callRecorder().busy(); }, 10000));

    // The store left the shared recordset open on the table; the day query takes it over.
    click(window->brToday);
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/13 15:30] 5550199")});
    click(window->brPrev);
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/12 08:00] 5550100")});
}

TEST_F(DayView, AFailingDayQueryIsReportedAndLeavesTheListEmpty)
{
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    click(window->brToday);
    ASSERT_EQ(listLines().size(), 1);

    OdbcSandbox::instance().admin().Execute(QStringLiteral("DROP TABLE IDList"));
    click(window->brPrev);

    EXPECT_EQ(day(), QStringLiteral("10/12/2002"));
    EXPECT_TRUE(listLines().isEmpty());
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
    EXPECT_FALSE(window->strTip.isEmpty());
    EXPECT_TRUE(log().contains(window->strTip));
    // The driver's own words ("no such table: IDList") reach the receive log.
    EXPECT_TRUE(log().contains(QStringLiteral("no such table"), Qt::CaseInsensitive)) << log().toStdString();

    // Once the log is back the same day lists normally again.
    if (const Result<void> made = CallLog::create(OdbcSandbox::instance().admin()); !made)
        throw made.failure();
    store(QDate(2002, 10, 12), QTime(8, 0), QStringLiteral("5550100"));
    click(window->brToday);
    click(window->brPrev);
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/12 08:00] 5550100")});
    EXPECT_EQ(TAPI::recordset().State(), db::adStateOpen);
}

TEST_F(DayView, ADayFullerThanTheListShowsItsFirst32767Calls)
{
    OdbcSandbox::instance().admin().Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32770) "
        "INSERT INTO IDList (datetime, number) SELECT 37542.5, 'n' || i FROM n"));
    click(window->brToday);
    ASSERT_EQ(window->lstCID->count(), 32767);
    EXPECT_EQ(window->lstCID->item(0)->text(), QStringLiteral("001.[2002/10/13 12:00] n1"));
    EXPECT_TRUE(window->lstCID->item(32766)->text().startsWith(QStringLiteral("32767.[2002/10/13 12:00] n")));
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(DayView, ListLinesFollowTheUsersSeparators)
{
    struct Case
    {
        const char *locale;
        const char *today;
        const char *line;
    };
    const Case cases[] = {
        {"en_US.UTF-8", "10/13/2002", "001.[2002/10/13 14:25] 5550123"},
        {"de_DE.UTF-8", "13.10.2002", "001,[2002.10.13 14:25] 5550123"},
    };
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.locale);
        LocaleScope scope(c.locale);
        useLocaleSeparators();

        click(window->brToday);
        EXPECT_EQ(day(), QString::fromUtf8(c.today));
        EXPECT_EQ(listLines(), QStringList{QString::fromUtf8(c.line)});
        click(window->brPrev);
        click(window->brNext);
        EXPECT_EQ(day(), QString::fromUtf8(c.today)) << "the written day reads back";
        EXPECT_EQ(listLines(), QStringList{QString::fromUtf8(c.line)});
    }
}

TEST_F(DayView, TheTabsBringTheListOrTheReceiveLogToTheFront)
{
    store(QDate(2002, 10, 13), QTime(14, 25), QStringLiteral("5550123"));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    click(window->brToday);
    const QStringList shown = listLines();
    const QPoint listMiddle = window->lstCID->geometry().center();

    struct Step
    {
        bool mdm; // which tab is clicked
        bool logShown;
    };
    // Each tab twice: a click on the tab already down leaves everything as it was.
    const Step steps[] = {{true, true}, {true, true}, {false, false}, {false, false}, {true, true}};
    for (const Step &s : steps) {
        SCOPED_TRACE(s.mdm ? "btnMdm" : "btnRcd");
        click(s.mdm ? window->btnMdm : window->btnRcd);
        EXPECT_EQ(window->btnMdm->Value(), s.logShown ? 1 : 0);
        EXPECT_EQ(window->btnRcd->Value(), s.logShown ? 0 : 1);
        btn *down = s.logShown ? window->btnMdm : window->btnRcd;
        EXPECT_EQ(down->face(), down->DownPicture()) << "the tab that is down looks down";
        EXPECT_EQ(window->RcvText->isVisible(), s.logShown);
        QWidget *atList = window->childAt(listMiddle);
        EXPECT_EQ(atList && (atList == window->RcvText || window->RcvText->isAncestorOf(atList)),
                  s.logShown)
            << "the receive log covers the list while its tab is down";
        EXPECT_EQ(listLines(), shown);
        EXPECT_EQ(day(), QStringLiteral("10/13/2002"));
    }
}
