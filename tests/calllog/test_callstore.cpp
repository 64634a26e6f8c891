// The call-log store through a real ODBC driver: SQLite, or PostgreSQL when built with
// RINGVANE_TEST_POSTGRES. The program's own path is used throughout: the data source
// "CallerID" opened as start-up opens it, calls appended by AddCallRecord, the day query.

#include "calllog/CallLog.h"
#include "calllog/CallWriter.h"
#include "tests/calllog/OdbcSandbox.h"
#include "calllog/TAPI.h"
#include "tests/support/TestHelpers.h"

#include "locale/DateServices.h"
#include "failure/Failure.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

namespace {

QString dayQuery(qint64 day)
{
    return QStringLiteral("select * from idlist where datetime>=%1 and datetime<%2")
        .arg(day)
        .arg(day + 1);
}

struct StoredCall
{
    QDateTime when;
    QVariant number;
};

class CallStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        openCallLog();
    }

    void TearDown() override
    {
        TAPI::recordsetVariable().reset();
        TAPI::releaseConnection();
        TAPI::setDriverManager(QString::fromLatin1(db::DefaultDriverManager));
    }

    // Start-up's open of the call log.
    static void openCallLog()
    {
        TAPI::connection().setCursorLocation(db::adUseClient);
        TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    }

    // The day view's reading: through OpenRecordset and the shared recordset.
    static QList<StoredCall> callsOn(qint64 day)
    {
        const Result<void> opened = TAPI::OpenRecordset(
            dayQuery(day), TAPI::recordsetVariable(), 0, db::CommandOption::Text, db::LockType::ReadOnly);
        EXPECT_TRUE(opened) << opened.errorString().toStdString();
        db::Recordset &rs = TAPI::recordset();
        EXPECT_EQ(rs.State(), db::adStateOpen) << "the day query did not open";
        QList<StoredCall> calls;
        while (rs.State() == db::adStateOpen && !rs.Eof()) {
            calls.append({CallLog::dateTimeOf(rs.Fields(0).Value()), rs.Fields(1).Value()});
            rs.MoveNext();
        }
        return calls;
    }

    static QDateTime at(int y, int m, int d, int h, int min)
    {
        return dates::makeDateTime(QDate(y, m, d), QTime(h, min));
    }
};

TEST_F(CallStore, CallIsFoundByItsDayOnlyWhateverTheSeparators)
{
    struct Case
    {
        const char *dateSep;
        const char *timeSep;
    };
    const Case cases[] = {{"/", ":"}, {".", "."}, {"", ""}, {" ", " "}, {"-", "h"}};
    const QDateTime call = at(2002, 10, 13, 14, 25);
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("separators '") + c.dateSep + "' '" + c.timeSep + "'");
        TearDown();
        SetUp();
        const QString stamp = dates::formatCallStamp(call, QString::fromUtf8(c.dateSep),
                                                     QString::fromUtf8(c.timeSep));
        const Result<TAPI::Store> outcome = TAPI::AddCallRecord(stamp, QStringLiteral("5550123"));
        ASSERT_TRUE(outcome && *outcome == TAPI::Store::Stored) << outcome.errorString().toStdString();

        const QList<StoredCall> found = callsOn(37542);
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found[0].when, call);
        EXPECT_EQ(found[0].number.toString(), QStringLiteral("5550123"));
        EXPECT_TRUE(callsOn(37543).isEmpty());
        EXPECT_TRUE(callsOn(37541).isEmpty());
    }
}

TEST_F(CallStore, TimeOfDaySurvivesADecimalCommaLocale)
{
    LocaleScope locale("de_DE.UTF-8");
    const QDateTime lastMinute = at(2002, 10, 13, 23, 59);
    const QDateTime beforeEpoch = at(1899, 12, 29, 12, 0); // day -1, fraction .5
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2002.10.13 23.59"), QStringLiteral("1")).valueOr(TAPI::Store::LogClosed),
              TAPI::Store::Stored);
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("1899.12.29 12.00"), QStringLiteral("2")).valueOr(TAPI::Store::LogClosed),
              TAPI::Store::Stored);

    const QList<StoredCall> october = callsOn(37542);
    ASSERT_EQ(october.size(), 1);
    EXPECT_EQ(october[0].when, lastMinute);
    const QList<StoredCall> early = callsOn(-1);
    ASSERT_EQ(early.size(), 1);
    EXPECT_EQ(early[0].when, beforeEpoch);
}

TEST_F(CallStore, CallsInARowAreAllStoredAndTheTableStaysOpen)
{
    for (const char *number : {"5550101", "5550102", "5550103"}) {
        EXPECT_EQ(TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), QString::fromLatin1(number))
                      .valueOr(TAPI::Store::LogClosed),
                  TAPI::Store::Stored);
    }
    EXPECT_EQ(TAPI::recordset().State(), db::adStateOpen);
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 3);
}

TEST_F(CallStore, CallerTextIsStoredExactly)
{
    const QString texts[] = {
        QString(),                                   // an empty number stays text, not NULL
        QStringLiteral("O'Brien \"Junior\" \\' \\\\"),
        QStringLiteral("'); DROP TABLE IDList; --"),
        QStringLiteral("1; delete from idlist"),
        QStringLiteral("<b>bold</b><script>alert(1)</script>&amp;"),
        QStringLiteral("Zoë Ünïcödé Ærø 电话号码 ☎ 😀"),
        QStringLiteral("?, ?) --"),
        QStringLiteral("tab\there\rcr"),
        QString(4096, QLatin1Char('9')),
    };
    for (const QString &text : texts)
        ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), text).valueOr(TAPI::Store::LogClosed),
                  TAPI::Store::Stored)
            << text.left(40).toStdString();

    const QList<StoredCall> found = callsOn(37542);
    ASSERT_EQ(found.size(), int(std::size(texts)));
    QStringList stored;
    for (const StoredCall &call : found) {
        EXPECT_FALSE(call.number.isNull());
        stored << call.number.toString();
    }
    for (const QString &text : texts)
        EXPECT_TRUE(stored.contains(text.isNull() ? QStringLiteral("") : text))
            << text.left(40).toStdString();
}

// A day fuller than the reader's capacity gives its newest calls, in log order.
TEST_F(CallStore, AFullDayIsReadAsItsNewestCalls)
{
    CallLog log(TAPI::connection());
    QList<Call> calls;
    for (int minute = 0; minute < 7; ++minute)
        calls.append({at(2002, 10, 13, 14, minute), QString::number(5550100 + minute), {}});
    ASSERT_TRUE(log.append(calls));
    EXPECT_EQ(log.readDay(QDate(2002, 10, 13), 3).valueOr({}), calls.mid(4));
    EXPECT_EQ(log.readDay(QDate(2002, 10, 13), 7).valueOr({}), calls);
    EXPECT_EQ(log.readDay(QDate(2002, 10, 13), 0).valueOr(calls), QList<Call>{});
    // A reader that shows less has each text cut to that.
    EXPECT_EQ(log.readDay(QDate(2002, 10, 13), 1, 6).valueOr({}).value(0).number, u"555010"_qs);
}

// The SQLite driver hands text over only up to a NUL; the log reads it whole. PostgreSQL
// takes no NUL in text: there the row is refused, not stored cut short.
TEST_F(CallStore, CallerTextWithNulIsReadBackWhole)
{
    ASSERT_TRUE(CallLog::addNameColumn(OdbcSandbox::instance().admin()).valueOr(false));
    const QDateTime when = at(2002, 10, 13, 14, 25);
    const QChar nul(0);
    const QList<Call> calls = {
        {when, u"555"_qs + nul + u"666"_qs, nul + u"ANN"_qs},
        {when, nul + u"555"_qs, u"B"_qs + nul},
        {when, QString(5000, u'5') + nul, QString(5000, nul)}, // cut at 4096 by the day's read
        {when, u"5550123"_qs, {}}, // its day number comes back in the driver's 15 digits
    };
    QList<Call> day = calls;
    day[2] = {when, QString(4096, u'5'), QString(4096, nul)};
    const bool postgres = OdbcSandbox::instance().backend() == OdbcSandbox::Postgres;
    // As the window reads a day, and as ringvane-calls streams its rows.
    for (const QString &options : {u""_qs, postgres ? u""_qs : u"StepAPI=1;"_qs}) {
        db::Connection connection;
        connection.Open(u"DSN=CallerID;"_qs + options, {}, {}, -1);
        CallLog log(connection);
        const Result<void> appended = log.append(calls);
        if (postgres) {
            ASSERT_FALSE(appended);
            EXPECT_EQ(db::failureKind(appended.failure()), db::FailureKind::Refused);
            EXPECT_EQ(log.readDay(when.date(), 10).valueOr(calls), QList<Call>{});
            return;
        }
        EXPECT_EQ(log.readDay(when.date(), 10).valueOr({}), day) << qPrintable(options);
        QList<Call> listed;
        const Result<void> read = log.readRange(
            CallLog::rangeQuery(when.date(), when.date(), std::nullopt, CallLog::Binding::Staged),
            std::nullopt, [&](const Call &call, bool) { return listed.append(call), true; });
        EXPECT_EQ(listed, calls) << qPrintable(read.errorString());
        const RowCounts counts = log.countRows(calls).valueOr({});
        EXPECT_EQ(counts.value(rowKey(calls[0])), 1) << "the check of a commit in doubt finds it";
        OdbcSandbox::instance().admin().Execute(u"DELETE FROM IDList"_qs);
    }
}

TEST_F(CallStore, ClosedCallLogStoresNothingAndSaysSo)
{
    TAPI::releaseConnection(); // a new connection that was never opened
    EXPECT_EQ(TAPI::connection().State(), db::adStateClosed);
    const Result<TAPI::Store> outcome =
        TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), QStringLiteral("5550123"));
    EXPECT_TRUE(outcome && *outcome == TAPI::Store::LogClosed);
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 0);
}

TEST_F(CallStore, MissingProviderIs3706AndLeavesTheLogClosed)
{
    TAPI::releaseConnection();
    TAPI::setDriverManager(QStringLiteral("libodbc-missing.so.2"));
    try {
        openCallLog();
        FAIL() << "the open succeeded";
    } catch (const Failure &failure) {
        EXPECT_EQ(failure.number(), ErrorNumber::ProviderNotFound);
        EXPECT_EQ(failure.description(),
                  QStringLiteral("Provider cannot be found. It may not be properly installed."));
    }
    TAPI::releaseConnection(); // what start-up does after a 3706
    EXPECT_EQ(TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), QStringLiteral("1")).valueOr(TAPI::Store::Stored),
              TAPI::Store::LogClosed);
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 0);
}

TEST_F(CallStore, StoreFailureIsReportedAndLeavesNoHalfRow)
{
    // A date-time that cannot be set: the row is dropped, not stored with the number only.
    for (const char *bad : {"2002/13/45 99:99", "", "yesterday", "2002/10/13", "2002/02/30 10:00",
                            "2002/10/13 24:00", "12002/10/13 14:25"}) {
        const Result<TAPI::Store> outcome =
            TAPI::AddCallRecord(QString::fromLatin1(bad), QStringLiteral("5550123"));
        EXPECT_FALSE(outcome.ok()) << bad;
        EXPECT_FALSE(outcome.errorString().isEmpty()) << bad;
    }
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 0);

    // The table dropped under the program: the driver's words come back.
    OdbcSandbox::instance().admin().Execute(QStringLiteral("DROP TABLE IDList"));
    const Result<TAPI::Store> dropped =
        TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), QStringLiteral("5550123"));
    EXPECT_FALSE(dropped.ok());
    EXPECT_TRUE(dropped.errorString().contains(QStringLiteral("idlist"), Qt::CaseInsensitive))
        << dropped.errorString().toStdString();
    EXPECT_EQ(TAPI::recordset().State(), db::adStateClosed);

    // Once the table is back, the next call goes in, and only that one.
    if (const Result<void> made = CallLog::create(OdbcSandbox::instance().admin()); !made)
        throw made.failure();
    EXPECT_EQ(TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:26"), QStringLiteral("5550124")).valueOr(TAPI::Store::LogClosed),
              TAPI::Store::Stored);
    const QList<StoredCall> found = callsOn(37542);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].number.toString(), QStringLiteral("5550124"));
}

TEST_F(CallStore, TableMadeAnewWithMoreColumnsTakesTheNextCall)
{
    // The prepared INSERT is kept with the connection between calls; a table made anew
    // under the program must still take the next call in the right columns.
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), QStringLiteral("1")).valueOr(TAPI::Store::LogClosed),
              TAPI::Store::Stored);
    db::Connection &admin = OdbcSandbox::instance().admin();
    admin.Execute(QStringLiteral("DROP TABLE IDList"));
    admin.Execute(QStringLiteral(
        "CREATE TABLE IDList (datetime DOUBLE PRECISION, number TEXT, note TEXT)"));

    const Result<TAPI::Store> outcome =
        TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:26"), QStringLiteral("2"));
    ASSERT_TRUE(outcome && *outcome == TAPI::Store::Stored) << outcome.errorString().toStdString();
    const QList<StoredCall> found = callsOn(37542);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].when, at(2002, 10, 13, 14, 26));
    EXPECT_EQ(found[0].number.toString(), QStringLiteral("2"));
}

// The writer stores the caller's name where the table has a column for it, and the two
// columns everything else reads exactly as before; a hung-up call goes in as every call.
TEST_F(CallStore, TheWriterStoresNamesOnlyWhereTheTableHasTheirColumn)
{
    const QDateTime when = at(2002, 10, 13, 14, 25);
    const QString name = QStringLiteral("<b>x</b> &amp; 'O''NEIL' \"; DROP TABLE IDList; --");
    for (const bool withName : {false, true}) {
        SCOPED_TRACE(withName ? "name added" : "two columns");
        TearDown();
        SetUp();
        db::Connection &admin = OdbcSandbox::instance().admin();
        if (withName) {
            EXPECT_TRUE(CallLog::addNameColumn(admin).valueOr(false));
        }

        CallWriter writer(CallWriter::Settings{});
        QList<quint64> stored;
        QObject::connect(&writer, &CallWriter::stored,
                         [&](const QList<quint64> &ids) { stored += ids; });
        writer.start();
        writer.store({{1, Call{when, QStringLiteral("5550123"), name}},
                      {2, Call{when, QStringLiteral("5550124"), {}}},
                      {3, Call{when, QStringLiteral("0800"), {}, true}}});
        ASSERT_TRUE(waitFor([&] { return stored.size() == 3; }, 10000));
        // The store's own way still takes a call, without a name.
        ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:26"), QStringLiteral("3")).valueOr(TAPI::Store::LogClosed),
                  TAPI::Store::Stored);

        const QList<StoredCall> found = callsOn(37542);
        ASSERT_EQ(found.size(), 4);
        EXPECT_EQ(found[0].when, when);
        EXPECT_EQ(found[0].number.toString(), QStringLiteral("5550123"));
        const QList<QVariantList> rows =
            queryRows(admin, QStringLiteral("select * from idlist order by number desc"));
        ASSERT_EQ(rows.size(), 4);
        ASSERT_EQ(rows[0].size(), withName ? 3 : 2);
        if (withName) {
            EXPECT_TRUE(rows[0][2].isNull()) << "no name: NULL";
            EXPECT_EQ(rows[1][2].toString(), name);
            EXPECT_TRUE(rows[2][2].isNull());
        }
    }
}

TEST_F(CallStore, AppendingNeverReadsTheStoredRows)
{
    OdbcSandbox &sandbox = OdbcSandbox::instance();
    sandbox.armReadTrap(50);
    // The trap is armed: any read of an old row fails.
    EXPECT_ANY_THROW(queryRows(sandbox.admin(), QStringLiteral("select * from idlist")));

    for (const char *number : {"5550101", "5550102"}) {
        const Result<TAPI::Store> outcome =
            TAPI::AddCallRecord(QStringLiteral("2002/10/13 14:25"), QString::fromLatin1(number));
        EXPECT_TRUE(outcome && *outcome == TAPI::Store::Stored) << outcome.errorString().toStdString();
    }
    EXPECT_EQ(sandbox.trappedAppends(), 2);
}

// Tables made by others: rows the table refuses for good are set aside and never hold up
// the calls around them or the log; a text first column gets the user's separators.
TEST_F(CallStore, TheWriterSetsAsideARowTheTableRefusesAndWritesTextStampsTheUsersWay)
{
    db::Connection &admin = OdbcSandbox::instance().admin();
    const bool postgres = OdbcSandbox::instance().backend() == OdbcSandbox::Postgres;
    admin.Execute(QStringLiteral("DROP TABLE IDList"));
    // SQLite does not hold a text to its declared length: a CHECK does it there.
    admin.Execute(postgres ? QStringLiteral("CREATE TABLE IDList (datetime DOUBLE PRECISION, "
                                            "number varchar(8))")
                           : QStringLiteral("CREATE TABLE IDList (datetime DOUBLE PRECISION, "
                                            "number varchar(8) CHECK (length(number) <= 8))"));
    const QDateTime when = at(2002, 10, 13, 14, 25);
    CallWriter writer(CallWriter::Settings{});
    QList<quint64> stored;
    QList<quint64> refused;
    QString refusal;
    int unavailable = 0;
    QObject::connect(&writer, &CallWriter::stored, [&](const QList<quint64> &ids) { stored += ids; });
    QObject::connect(&writer, &CallWriter::refused, [&](const QList<quint64> &ids, const QString &why) {
        refused += ids;
        refusal = why;
    });
    QObject::connect(&writer, &CallWriter::unavailable, [&](const QString &) { ++unavailable; });
    writer.start();
    writer.store({{1, Call{when, QStringLiteral("5550123"), {}}},
                  {2, Call{when, QStringLiteral("555012345678"), {}}},
                  {3, Call{when, QStringLiteral("5550124"), {}}}});
    ASSERT_TRUE(waitFor([&] { return stored.size() == 2 && refused.size() == 1; }, 10000))
        << stored.size() << " stored, " << refused.size() << " refused: " << refusal.toStdString();
    EXPECT_EQ(stored, (QList<quint64>{1, 3}));
    EXPECT_EQ(refused, QList<quint64>{2});
    EXPECT_FALSE(refusal.isEmpty()) << "the driver's words";
    // Alone in the queue, the refused row neither blocks the next call nor the log.
    writer.store({{4, Call{when, QStringLiteral("5550125"), {}}}});
    ASSERT_TRUE(waitFor([&] { return stored.size() == 3; }, 10000));
    waitFor([] { return false; }, 300);
    EXPECT_EQ(refused.size(), 1) << "tried again only on a new connection";
    EXPECT_EQ(unavailable, 0);
    EXPECT_EQ(callsOn(37542).size(), 3);
    writer.finish();

    struct Case
    {
        const char *locale;
        bool slashes;
    };
    for (const Case &c : {Case{"C.UTF-8", true}, Case{"de_DE.UTF-8", false}}) {
        SCOPED_TRACE(c.locale);
        LocaleScope locale(c.locale);
        admin.Execute(QStringLiteral("DROP TABLE IDList"));
        admin.Execute(QStringLiteral("CREATE TABLE IDList (stamp TEXT, number TEXT)"));
        CallWriter textWriter(CallWriter::Settings{});
        bool done = false;
        QObject::connect(&textWriter, &CallWriter::stored, [&] { done = true; });
        textWriter.start();
        textWriter.store({{5, Call{when, QStringLiteral("5550123"), {}}}});
        ASSERT_TRUE(waitFor([&] { return done; }, 10000));
        textWriter.finish();
        const QString text = queryRows(admin, QStringLiteral("select stamp from idlist")).value(0).value(0).toString();
        EXPECT_EQ(text == QStringLiteral("2002/10/13 14:25"), c.slashes) << text.toStdString();
        EXPECT_EQ(CallLog::dateTimeOf(QVariant(text)), when) << text.toStdString();
    }
}

} // namespace
