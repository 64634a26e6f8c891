// The database objects over the real SQLite ODBC driver: how opens fail, and the
// recordset rules the store and the day view rely on.

#include "calllog/CallLog.h"
#include "tests/calllog/OdbcSandbox.h"
#include "calllog/TAPI.h"

#include "locale/DateServices.h"
#include "failure/Failure.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

Failure openFailure(db::Connection &connection, const QString &connectionString)
{
    try {
        connection.Open(connectionString, {}, {}, -1);
    } catch (const Failure &failure) {
        return failure;
    }
    ADD_FAILURE() << "opened " << connectionString.toStdString();
    return Failure(0, {});
}

class Database : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        m_connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    }

    void append(const QString &stamp, const QString &number)
    {
        db::Recordset rs;
        rs.Open(QStringLiteral("IDList"), m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic,
                db::CommandOption::Table);
        rs.AddNew();
        rs.Fields(0).setValue(QString::number(CallLog::dayNumber(*dates::parseCallStamp(stamp)), 'g', 17));
        rs.Fields(1).setValue(number);
        rs.Update();
    }

    db::Connection m_connection;
};

TEST(DatabaseOpen, FailuresCarryTheirNumberAndTheDriversWords)
{
    OdbcSandbox::instance();
    struct Case
    {
        const char *driverManager;
        const char *connectionString;
        int number;
        const char *words;
    };
    const char *const odbc = db::DefaultDriverManager;
    const Case cases[] = {
        // The driver manager library cannot be loaded: the ODBC layer itself is missing.
        {"libodbc-missing.so.2", "DSN=CallerID;ODBC;", ErrorNumber::ProviderNotFound,
         "Provider cannot be found. It may not be properly installed."},
        {odbc, "DSN=NoSuchSource;ODBC;", db::GeneralFailure, "Data source name not found"},
        {odbc, "DSN=BrokenDriver;ODBC;", db::GeneralFailure, "no-such-driver.so"},
        // NoCreat: a missing file is an error, and no empty one appears in its place.
        {odbc, "DSN=Gone;ODBC;", db::GeneralFailure, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.connectionString);
        db::Connection connection{QString::fromLatin1(c.driverManager)};
        const Failure failure = openFailure(connection, QString::fromLatin1(c.connectionString));
        EXPECT_EQ(failure.number(), c.number);
        EXPECT_FALSE(failure.description().isEmpty());
        EXPECT_TRUE(failure.description().contains(QString::fromLatin1(c.words)))
            << failure.description().toStdString();
        EXPECT_EQ(connection.State(), db::adStateClosed);
    }
    EXPECT_FALSE(QFile::exists(OdbcSandbox::instance().dir() + QStringLiteral("/gone/missing.db")));
}

TEST_F(Database, OpenConnectionCanBeClosedAndReopened)
{
    EXPECT_EQ(m_connection.State(), db::adStateOpen);
    EXPECT_ANY_THROW(m_connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1));
    m_connection.Close();
    EXPECT_EQ(m_connection.State(), db::adStateClosed);
    m_connection.Open(QStringLiteral("CallerID"), {}, {}, -1); // without the "DSN=" too
    EXPECT_EQ(m_connection.State(), db::adStateOpen);
}

TEST_F(Database, ValuesReadAsTheDriverGivesThemWhateverTheColumnsName)
{
    m_connection.Execute(QStringLiteral("insert into idlist (datetime) values (?)"),
                         {37542.0 + (14 * 60 + 25) / 1440.0});

    const QList<QVariantList> rows =
        queryRows(m_connection, QStringLiteral("select datetime, number from idlist"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].typeId(), QMetaType::Double);
    EXPECT_EQ(CallLog::dateTimeOf(rows[0][0]), dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25)));
    EXPECT_TRUE(rows[0][1].isNull()); // never written
}

TEST_F(Database, MisuseFailsWithoutTouchingTheTable)
{
    db::Recordset rs;
    EXPECT_EQ(rs.State(), db::adStateClosed);
    EXPECT_THROW(rs.Close(), Failure);
    EXPECT_THROW(rs.AddNew(), Failure);

    db::Connection closed;
    EXPECT_THROW(rs.Open(QStringLiteral("IDList"), closed, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table), Failure);
    EXPECT_THROW(rs.Open(QStringLiteral("IDList; DROP TABLE IDList"), m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table),
                 Failure);

    rs.Open(QStringLiteral("select * from idlist"), m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text);
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.MoveNext(), Failure);
    EXPECT_THROW(rs.Fields(0).Value(), Failure);
    EXPECT_THROW(rs.Fields(2), Failure);
    EXPECT_THROW(rs.AddNew(), Failure); // read-only
    EXPECT_THROW(rs.setMaxRecords(1), Failure); // only while closed
    EXPECT_THROW(rs.Open(QStringLiteral("select * from idlist"), m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text), Failure);
    rs.Close();

    rs.Open(QStringLiteral("IDList"), m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
    EXPECT_THROW(rs.Update(), Failure); // no row started
    rs.AddNew();
    rs.Fields(1).setValue(QStringLiteral("5550123"));
    rs.CancelUpdate();
    EXPECT_THROW(rs.Update(), Failure);
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 0);
}

// Only a plain, optionally schema-qualified, name opens as a table; anything else is
// refused before it reaches SQL.
TEST_F(Database, TablesOpenByPlainNamesOnly)
{
    for (const char *name : {"IDList", "idlist", "main.IDList"}) {
        db::Recordset rs;
        EXPECT_NO_THROW(rs.Open(QLatin1String(name), m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table)) << name;
    }
    const QString refused[] = {QStringLiteral("IDList\n"),      QStringLiteral("1IDList"),
                               QStringLiteral("main.IDList.x"), QStringLiteral("main."),
                               QStringLiteral(".IDList"),       QStringLiteral("ID List"),
                               QStringLiteral("IDList--"),      QStringLiteral("\u00cfDList"),
                               QStringLiteral("\"IDList\""),    QString()};
    for (const QString &name : refused) {
        db::Recordset rs;
        try {
            rs.Open(name, m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
            ADD_FAILURE() << "opened " << name.toStdString();
        } catch (const Failure &failure) {
            EXPECT_EQ(failure.description(), QStringLiteral("The table name is not a plain name."))
                << name.toStdString();
        }
    }
}

TEST_F(Database, MaxRecordsLimitsTheRowsRead)
{
    for (int minute = 0; minute < 5; ++minute)
        append(QStringLiteral("2002/10/13 14:0%1").arg(minute), QStringLiteral("555"));
    db::Recordset rs;
    for (const auto &[limit, expected] : {std::pair{0, 5}, {2, 2}, {9, 5}}) {
        rs.setMaxRecords(limit);
        rs.Open(QStringLiteral("select * from idlist where datetime>=37542 and datetime<37543"),
                m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text);
        int count = 0;
        for (; !rs.Eof(); rs.MoveNext())
            ++count;
        EXPECT_EQ(count, expected) << "limit " << limit;
        rs.Close();
    }
}

TEST_F(Database, MaxTextLengthCutsLongTextAtTheDriver)
{
    struct Case
    {
        QString text;
        int limit;
        QString expected;
    };
    const QString wide = QString(3000, QChar(0x00e9)) + QString(3000, QChar(0x260e));
    const QString huge(2 * 1024 * 1024, QLatin1Char('9'));
    const Case cases[] = {
        {QStringLiteral("5550123"), 4096, QStringLiteral("5550123")},
        {wide, 0, wide},
        {wide, 4096, wide.left(4096)},
        {wide, 3001, wide.left(3001)},
        {huge, 4096, huge.left(4096)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.limit);
        m_connection.Execute(QStringLiteral("delete from idlist"));
        m_connection.Execute(QStringLiteral("insert into idlist values (37542.5, ?)"), {c.text});
        db::Recordset rs;
        rs.setMaxTextLength(c.limit);
        rs.Open(QStringLiteral("select number from idlist"), m_connection, db::CursorType::ForwardOnly,
                db::LockType::ReadOnly, db::CommandOption::Text);
        ASSERT_FALSE(rs.Eof());
        EXPECT_EQ(rs.Fields(0).Value().toString(), c.expected);
    }
    // The feed's start-up lines read through it.
    const Result<QList<Call>> day = CallLog(m_connection).readDay(QDate(2002, 10, 13), 10);
    ASSERT_TRUE(day.ok()) << day.errorString().toStdString();
    ASSERT_EQ(day->size(), 1);
    EXPECT_EQ(day->at(0).number, huge.left(4096));
}

TEST_F(Database, RecordsetOutlivingItsConnectionIsClosed)
{
    auto connection = std::make_unique<db::Connection>();
    connection->Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    db::Recordset rs;
    rs.Open(QStringLiteral("IDList"), *connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
    rs.AddNew();
    connection.reset();
    EXPECT_EQ(rs.State(), db::adStateClosed);
    EXPECT_THROW(rs.Update(), Failure);
}

} // namespace
