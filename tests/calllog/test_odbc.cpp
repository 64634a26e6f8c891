// The ODBC layer against the real drivers: SQLite, or PostgreSQL when built with
// RINGVANE_TEST_POSTGRES. What a failure says about the data source, time limits, bound
// parameters, transactions, threads, and reading a data source's definition.

#include "tests/calllog/OdbcSandbox.h"

#include "failure/Failure.h"
#include "tests/support/SqliteLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool isPostgres()
{
    return OdbcSandbox::instance().backend() == OdbcSandbox::Postgres;
}

std::optional<Failure> failureOf(const std::function<void()> &step)
{
    try {
        step();
    } catch (const Failure &failure) {
        return failure;
    }
    return std::nullopt;
}

QString describe(const std::optional<Failure> &failure)
{
    return failure ? failure->sqlState() + QLatin1Char('/') +
                         QString::number(failure->nativeError()) + QLatin1Char(' ') +
                         failure->source() + QLatin1Char(' ') + failure->description()
                   : QStringLiteral("no failure");
}

// A failure in one of the states given, of the kind given, with the native code if one is given.
::testing::AssertionResult failedAs(const std::optional<Failure> &failure,
                                    const QStringList &states, db::FailureKind kind,
                                    int native = -1)
{
    if (failure && states.contains(failure->sqlState()) && db::failureKind(*failure) == kind &&
        (native < 0 || failure->nativeError() == native))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << describe(failure).toStdString() << " of kind "
                                         << (failure ? int(db::failureKind(*failure)) : -1);
}

const QString kInsert = QStringLiteral("INSERT INTO IDList (datetime, number) VALUES (?, ?)");
const QString kCount =
    QStringLiteral("SELECT count(*) FROM IDList WHERE datetime = ? AND number = ?");

class OdbcLayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        m_connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    }

    int count(const QString &sql, const QVariantList &parameters)
    {
        db::Recordset rs;
        rs.Open(sql, m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text,
                parameters);
        return rs.Fields(0).Value().toInt();
    }

    db::Connection m_connection;
};

TEST(FailureKinds, ConnectionGoneOnlyForTheStatesThatSaySo)
{
    using K = db::FailureKind;
    const struct
    {
        const char *state;
        int native;
        const char *source;
        db::FailureKind kind;
    } cases[] = {
        {"08001", 101, "PostgreSQL", K::ConnectionGone}, // no server, login time limit
        {"08S01", 35, "PostgreSQL", K::ConnectionGone},  // connection lost
        {"08003", 0, "unixODBC", K::ConnectionGone},
        {"HYT00", 0, "PostgreSQL", K::ConnectionGone},
        {"HYT01", 0, "PostgreSQL", K::ConnectionGone},
        {"57014", 1, "PostgreSQL", K::ConnectionGone}, // statement time limit
        {"57P01", 1, "PostgreSQL", K::ConnectionGone}, // server shutting down
        {"HY000", 5, "SQLite", K::ConnectionGone},     // locked
        {"HY000", 261, "SQLite", K::ConnectionGone},   // locked, extended code
        {"HY000", 14, "SQLite", K::ConnectionGone},    // missing file
        {"HY000", 26, "SQLite", K::ConnectionGone},    // not a database
        {"HY000", 8, "SQLite", K::ConnectionGone},     // read-only file
        {"HY000", 1, "SQLite", K::Refused},            // no such table, syntax
        {"HY000", 19, "SQLite", K::Refused},           // constraint
        {"HY000", 5, "PostgreSQL", K::Refused},        // only SQLite's codes mean files
        {"42P01", 1, "PostgreSQL", K::Refused},        // no such table
        {"42601", 1, "PostgreSQL", K::Refused},        // syntax
        {"IM002", 0, "unixODBC", K::Refused},          // no such data source
        {"", 0, "Database", K::Refused},               // the layer's own misuse
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.state) + "/" + std::to_string(c.native) + " " + c.source);
        EXPECT_EQ(
            db::failureKind(QString::fromLatin1(c.state), c.native, QString::fromLatin1(c.source)),
            c.kind);
    }
}

TEST_F(OdbcLayer, ADroppedTableIsRefusedWithTheDriversState)
{
    OdbcSandbox::instance().admin().Execute(QStringLiteral("DROP TABLE IDList"));
    for (const auto &step : std::initializer_list<std::function<void()>>{
             [&] {
                 m_connection.Execute(kInsert, {37542.5, QStringLiteral("1")});
             },
             [&] {
                 count(kCount, {37542.5, QStringLiteral("1")});
             },
             [&] {
                 db::Recordset rs;
                 rs.Open(QStringLiteral("IDList"), m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
             }}) {
        const std::optional<Failure> failure = failureOf(step);
        ASSERT_TRUE(
            failedAs(failure, {isPostgres() ? "42P01" : "HY000"}, db::FailureKind::Refused));
        EXPECT_EQ(failure->source(),
                  isPostgres() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"));
        EXPECT_TRUE(failure->description().contains(QStringLiteral("idlist"), Qt::CaseInsensitive))
            << failure->description().toStdString();
    }
    EXPECT_EQ(m_connection.State(), db::adStateOpen) << "a refused statement leaves the connection usable";
}

TEST_F(OdbcLayer, CallerTextRoundTripsThroughBoundParameters)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("O'Brien \"Junior\" \\' \\\\ `x`"),
        QStringLiteral("'); DROP TABLE IDList; --"),
        QStringLiteral("<b>bold</b><script>alert(1)</script>&amp;"),
        QStringLiteral("Zoë Ünïcödé Ærø 电话号码 ☎ 😀 \u200f\u05e9\u05dc\u05d5\u05dd"),
        QStringLiteral("?, ?) -- ? :1 $1 %s %"),
        QStringLiteral("tab\there\rcr\nlf\x01\x1f\x7f"),
        QString(700, QChar(0x00e9)) + QString(700, QLatin1Char('9')), // longer than a read piece
    };
    double day = 37542.0;
    for (const QString &text : texts) {
        day += 0.25;
        SCOPED_TRACE(text.left(40).toStdString());
        EXPECT_EQ(m_connection.Execute(kInsert, {day, text}), 1);
        EXPECT_EQ(count(kCount, {day, text}), 1) << "found by the writer's count";

        db::Recordset rs;
        rs.Open(QStringLiteral("select datetime, number from idlist where datetime = ?"),
                m_connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text, {day});
        ASSERT_FALSE(rs.Eof());
        const QVariant stored = rs.Fields(1).Value();
        EXPECT_FALSE(stored.isNull()) << "an empty text is stored as text, not NULL";
        EXPECT_EQ(stored.toString(), text.isNull() ? QStringLiteral("") : text);
    }
    EXPECT_EQ(count(QStringLiteral("select count(*) from idlist where number like ?"),
                    {QStringLiteral("%电话%")}),
              1);
}

TEST_F(OdbcLayer, ATransactionStoresAllOrNothing)
{
    auto stored = [] { return OdbcSandbox::instance().rowCount(); };
    EXPECT_EQ(m_connection.BeginTrans(), 1);
    EXPECT_THROW(m_connection.BeginTrans(), Failure) << "no nesting";
    for (int i = 0; i < 3; ++i)
        m_connection.Execute(kInsert, {37542.5, QString::number(i)});
    m_connection.RollbackTrans();
    EXPECT_EQ(stored(), 0);
    EXPECT_THROW(m_connection.CommitTrans(), Failure) << "none is active";

    m_connection.BeginTrans();
    db::Recordset rs; // the store's own way of appending takes part too
    rs.Open(QStringLiteral("IDList"), m_connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
    for (int i = 0; i < 3; ++i) {
        rs.AddNew();
        rs.Fields(0).setValue(QStringLiteral("37542.6006944444")); // 2002-10-13 14:25
        rs.Fields(1).setValue(QString::number(i));
        rs.Update();
    }
    m_connection.CommitTrans();
    EXPECT_EQ(stored(), 3);
    m_connection.Execute(kInsert, {37542.5, QStringLiteral("after")}); // its own transaction again
    EXPECT_EQ(stored(), 4);
}

TEST_F(OdbcLayer, AConnectionOpenedOnOneThreadWorksOnAnother)
{
    db::Connection connection;
    std::optional<Failure> failure;
    std::thread([&] {
        failure =
            failureOf([&] { connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1); });
    }).join();
    ASSERT_FALSE(failure) << describe(failure).toStdString();

    db::Recordset rs;
    rs.Open(QStringLiteral("IDList"), connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
    rs.AddNew();
    rs.Fields(0).setValue(QStringLiteral("37542.6006944444")); // 2002-10-13 14:25
    rs.Fields(1).setValue(QStringLiteral("5550123"));
    rs.Update();

    int rows = -1;
    std::thread([&] {
        failure = failureOf([&] {
            db::Recordset again; // the kept INSERT runs here too
            again.Open(QStringLiteral("IDList"), connection, db::CursorType::ForwardOnly, db::LockType::Optimistic, db::CommandOption::Table);
            again.AddNew();
            again.Fields(0).setValue(QStringLiteral("37542.6013888889")); // 14:26
            again.Update();
            rows = queryRows(connection, QStringLiteral("select * from idlist")).size();
            connection.Close();
        });
    }).join();
    EXPECT_FALSE(failure) << describe(failure).toStdString();
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(connection.State(), db::adStateClosed);
    EXPECT_EQ(rs.State(), db::adStateClosed) << "closing the connection closed its recordset";
}

TEST_F(OdbcLayer, RowsArriveAlikeWhenTheDriverStreamsThem)
{
    for (int i = 0; i < 20; ++i)
        m_connection.Execute(kInsert, {37542.0 + i / 100.0, QString::number(i)});
    db::Connection streaming;
    streaming.Open(isPostgres() ? QStringLiteral("DSN=CallerID;UseDeclareFetch=1;Fetch=4;")
                                : QStringLiteral("DSN=CallerID;StepAPI=1;"),
                   {}, {}, -1);
    db::Recordset rs;
    rs.setMaxRecords(15);
    rs.Open(QStringLiteral("select * from idlist where datetime>=37542 and datetime<37543"),
            streaming, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text);
    int rows = 0;
    for (; !rs.Eof(); rs.MoveNext())
        ++rows;
    EXPECT_EQ(rows, 15);
}

TEST(DataSources, AreDescribedWithoutConnecting)
{
    OdbcSandbox &sandbox = OdbcSandbox::instance();
    const db::DataSourceInfo callerId = db::describeDataSource(QStringLiteral("callerid"));
    EXPECT_TRUE(callerId.defined);
    EXPECT_EQ(callerId.configFile, sandbox.userIni());
    if (sandbox.backend() == OdbcSandbox::Sqlite) {
        EXPECT_EQ(callerId.driver, QStringLiteral("SQLite3"));
        EXPECT_EQ(callerId.driverLibrary, sandbox.sqliteDriver());
        EXPECT_EQ(callerId.database, sandbox.sqliteFile());
    }
    EXPECT_FALSE(db::describeDataSource(QStringLiteral("NoSuchSource")).defined);

    // A data source only the system file defines.
    const QString systemIni = sandbox.systemDir() + QStringLiteral("/odbc.ini");
    QFile file(systemIni);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("; the system's\n[Shared]\nDriver = /opt/odbc/libx.so\nDatabase = /srv/calls.db\n");
    file.close();
    const db::DataSourceInfo shared = db::describeDataSource(QStringLiteral("Shared"));
    QFile::resize(systemIni, 0);
    EXPECT_EQ(shared.configFile, systemIni);
    EXPECT_EQ(shared.driverLibrary, QStringLiteral("/opt/odbc/libx.so"));
    EXPECT_EQ(shared.database, QStringLiteral("/srv/calls.db"));

    const std::pair<const char *, const char *> names[] = {
        {"DSN=CallerID;ODBC;", "CallerID"},
        {"CallerID", "CallerID"},
        {"Driver=SQLite3;dsn = Other ;Database=x", "Other"},
        {"Driver=SQLite3;Database=x", ""},
    };
    for (const auto &[connectionString, dsn] : names)
        EXPECT_EQ(db::dataSourceName(QString::fromLatin1(connectionString)),
                  QString::fromLatin1(dsn))
            << connectionString;
}

#ifndef RINGVANE_TEST_POSTGRES

TEST(SqliteFailures, FileProblemsMeanTheSourceIsGone)
{
    OdbcSandbox::instance(); // its drivers and data sources
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("garbage.db"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const struct
    {
        QString connectionString;
        int native;
    } cases[] = {
        {QStringLiteral("DSN=Gone;ODBC;"), 14}, // the file is missing
        {QStringLiteral("Driver=SQLite3;NoCreat=1;Database=") + garbage, 26},
        {QStringLiteral("Driver=SQLite3;NoCreat=1;Database=") + dir.path(), 14}, // a folder
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.connectionString.toStdString());
        db::Connection connection;
        const std::optional<Failure> failure = failureOf([&] {
            connection.Open(c.connectionString, {}, {}, -1);
            connection.Execute(QStringLiteral("SELECT * FROM IDList"));
        });
        EXPECT_TRUE(failedAs(failure, {"HY000"}, db::FailureKind::ConnectionGone, c.native));
    }
}

TEST_F(OdbcLayer, AFileLockedByAnotherProgramEndsAtTheQueryTimeLimit)
{
    db::Connection connection;
    connection.setQueryTimeout(1); // the data source's own busy timeout is 2 s
    connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);

    // Another program in the middle of a write: with the write-ahead journal, stores wait
    // for it (readers do not).
    SqliteLock holder(OdbcSandbox::instance().sqliteFile());
    ASSERT_TRUE(holder.held());

    QElapsedTimer waited;
    waited.start();
    const std::optional<Failure> failure = failureOf([&] {
        connection.Execute(kInsert, {37542.5, QStringLiteral("1")});
    });
    const qint64 ms = waited.elapsed();
    EXPECT_TRUE(failedAs(failure, {"HY000"}, db::FailureKind::ConnectionGone, 5));
    EXPECT_GE(ms, 800);
    // The data source's timeout would end it after about 4 s (the insert waits twice).
    EXPECT_LT(ms, 3000) << "the 1 s limit, not the data source's 2 s";

    holder.release();
    EXPECT_EQ(connection.Execute(kInsert, {37542.5, QStringLiteral("2")}), 1);
}

#else

// A throwaway server of the test's own: it is stopped under a connection.
class StoppedServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_state =
            QDir::tempPath() +
            QStringLiteral("/ringvane-odbc-stop-%1.state").arg(QCoreApplication::applicationPid());
        ASSERT_EQ(script(QStringLiteral("start")), 0);
        QFile file(m_state);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray host = file.readAll().split('\n').value(0).mid(7);
        m_connectionString = QStringLiteral("Driver=PostgreSQL Unicode;Servername=%1;Port=5432;"
                                            "Database=postgres;Username=ringvane;")
                                 .arg(QString::fromUtf8(host));
    }
    void TearDown() override { script(QStringLiteral("stop")); }

    int script(const QString &action)
    {
        return QProcess::execute(QStringLiteral("sh"),
                                 {QStringLiteral(RINGVANE_PG_SCRIPT), action, m_state});
    }

    QString m_state;
    QString m_connectionString;
};

TEST_F(StoppedServer, IsAConnectionGoneForEveryStatementAndEveryNewConnection)
{
    db::Connection connection;
    connection.Open(m_connectionString, {}, {}, -1);
    connection.Execute(
        QStringLiteral("CREATE TABLE IDList (datetime DOUBLE PRECISION, number TEXT)"));
    connection.Execute(kInsert, {37542.5, QStringLiteral("1")});
    ASSERT_EQ(script(QStringLiteral("stop")), 0);

    // The first statement sees the shutdown (57P01), the next ones the lost link (08S01).
    for (int i = 0; i < 3; ++i) {
        const std::optional<Failure> failure = failureOf([&] {
            connection.Execute(kInsert, {37542.5, QStringLiteral("2")});
        });
        EXPECT_TRUE(failedAs(failure, {"57P01", "08S01"}, db::FailureKind::ConnectionGone));
    }
    db::Connection again;
    const std::optional<Failure> failure =
        failureOf([&] { again.Open(m_connectionString, {}, {}, -1); });
    EXPECT_TRUE(failedAs(failure, {"08001"}, db::FailureKind::ConnectionGone));
}

TEST_F(OdbcLayer, AStatementEndsAtTheQueryTimeLimit)
{
    db::Connection connection;
    connection.setQueryTimeout(1);
    connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    QElapsedTimer waited;
    waited.start();
    const std::optional<Failure> failure =
        failureOf([&] { connection.Execute(QStringLiteral("SELECT pg_sleep(10)")); });
    EXPECT_LT(waited.elapsed(), 5000);
    EXPECT_TRUE(failedAs(failure, {"57014"}, db::FailureKind::ConnectionGone));
}

TEST(LoginTimeLimit, EndsTheWaitForASilentServer)
{
    OdbcSandbox::instance();
    // Listens on loopback and never answers: the kernel completes the connection, nobody
    // speaks on it.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr *>(&address), &length), 0);
    db::Connection connection;
    connection.setLoginTimeout(1);
    QElapsedTimer waited;
    waited.start();
    const std::optional<Failure> failure = failureOf([&] {
        connection.Open(QStringLiteral("Driver=PostgreSQL Unicode;Servername=127.0.0.1;Port=%1;"
                                       "Database=postgres;Username=ringvane;")
                            .arg(ntohs(address.sin_port)),
                        {}, {}, -1);
    });
    ::close(silent);
    EXPECT_LT(waited.elapsed(), 4000);
    EXPECT_TRUE(failedAs(failure, {"08001"}, db::FailureKind::ConnectionGone));
}

#endif

} // namespace
