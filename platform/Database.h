#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>

class Failure;

// The call log's database objects: a connection and a recordset with the members the
// program's handlers use, in the shape of the data-access objects it was written for.
// They sit directly on the ODBC driver manager's C API. Every member reports failure by
// throwing Failure: the number, the driver's own words and, where a data source reported
// it, its SQLSTATE and native error (Failure::sqlState(), Failure::nativeError()).
// Failure::source() names who reported it: the component at the head of the driver's
// message ("unixODBC", "SQLite"), else the connected DBMS ("PostgreSQL"), else "Database".
//
// Threads: a connection and its recordsets may be made on one thread and used on another,
// one thread at a time; nothing here belongs to the thread that made it.
namespace db {

// The number of every Failure from this layer except ErrorNumber::ProviderNotFound (3706,
// the ODBC layer itself is missing): the SQLSTATE and the driver's words tell these apart.
inline constexpr int GeneralFailure = -2147467259; // E_FAIL

// unixODBC's driver manager, loaded when a connection is first opened.
inline constexpr const char *DefaultDriverManager = "libodbc.so.2";

inline constexpr int DefaultLoginTimeout = 5; // seconds
inline constexpr int DefaultQueryTimeout = 5; // seconds

// The data-access objects' own numbers, where the handlers' API keeps them as numbers.
inline constexpr int adStateClosed = 0;
inline constexpr int adStateOpen = 1;
inline constexpr int adUseServer = 2;
inline constexpr int adUseClient = 3;

// What Recordset::Open takes; the values are the data-access objects' own.
enum class CursorType { ForwardOnly = 0 };
enum class LockType { ReadOnly = 1, Optimistic = 3 };
enum class CommandOption { Text = 1, Table = 2 };

// What a failure means for whoever wants to store something:
// ConnectionGone: the data source cannot be reached or used right now (SQLSTATE class 08,
//   a time limit HYT00/HYT01 or PostgreSQL's 57014, a server shutting down 57P01-57P03,
//   and SQLite's locked, unreadable, read-only, full or missing file); the same statement
//   may succeed on a new connection later.
// Refused: the data source took the statement and said no (a missing table, a syntax
//   error, a value it will not store), the configuration cannot work (IM002 no such data
//   source, a driver library that will not load, 3706), and the layer's own misuse.
//   Retrying the same thing will fail the same way until something is changed.
enum class FailureKind { ConnectionGone, Refused };
FailureKind failureKind(const Failure &failure);
FailureKind failureKind(const QString &sqlState, int nativeError, const QString &source);

// A data source as unixODBC's configuration files define it, read without connecting:
// the user's file first ($ODBCINI, else ~/.odbc.ini), then the system's
// ($ODBCSYSINI/odbc.ini, else /etc/odbc.ini).
struct DataSourceInfo
{
    bool defined = false;
    QString configFile;    // the file whose section defines it
    QString driver;        // its Driver entry as written (a driver name or a library path)
    QString driverLibrary; // the library that entry leads to through odbcinst.ini
    QString database;      // its Database entry: the SQLite file, the PostgreSQL database
};
DataSourceInfo describeDataSource(const QString &dsn);
// The user's data source file, where unixODBC looks: $ODBCINI, else .odbc.ini in the home
// folder the password database gives (not $HOME). The system's: odbc.ini in $ODBCSYSINI,
// else in /etc.
QString userDataSourceFile();
QString systemDataSourceFile();
// The SQLite database file a connection string leads to, absolute; empty when its driver
// is not the SQLite one or it names no file.
QString sqliteDatabaseFile(const QString &connectionString);
// The data source a connection string names: "CallerID" for "DSN=CallerID;ODBC;" and for
// a bare "CallerID"; empty when it names none (a DRIVER= string).
QString dataSourceName(const QString &connectionString);

class Recordset;

class Connection
{
public:
    // driverManager: the library loaded at the first Open; tests name a missing one to
    // reach 3706.
    explicit Connection(QString driverManager = QString::fromLatin1(DefaultDriverManager));
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // adUseServer or adUseClient; kept, not acted on: rows are always fetched as read.
    int CursorLocation() const;
    void setCursorLocation(int location);

    // Time limits in seconds, set before Open; 0 waits as long as the driver likes. The
    // login limit bounds Open. The query limit bounds every statement: through the
    // driver's query timeout where it honours one (psqlODBC), through the SQLite driver's
    // busy timeout where it does not: Open adds Timeout= (half the limit: the driver waits
    // twice for a write) unless the connection string gives one.
    int LoginTimeout() const;
    void setLoginTimeout(int seconds);
    int QueryTimeout() const;
    void setQueryTimeout(int seconds);

    // "DSN=CallerID;ODBC;", a bare data source name, or any ODBC connection string; a
    // non-empty user or password is added to it. options are not used. Connection string
    // keywords such as StepAPI=1 (SQLite) or UseDeclareFetch=1 (psqlODBC) make the driver
    // hand rows over as they are read: this layer never holds more than the current row.
    void Open(const QString &connectionString, const QString &user, const QString &password,
              int options);
    void Close();
    // adStateClosed or adStateOpen.
    int State() const;
    // The product the driver connects to ("SQLite", "PostgreSQL"); empty while closed.
    QString dbmsName() const;

    // Runs a statement that returns no rows; ? markers take parameters in order (see
    // Recordset::Open for the types). Gives the rows it changed, -1 where the driver does
    // not say.
    qint64 Execute(const QString &statement, const QVariantList &parameters = {});

    // Statements from BeginTrans on are one transaction until CommitTrans stores them all
    // or RollbackTrans drops them all; then every statement is its own transaction again.
    // No nesting: BeginTrans inside a transaction fails. Closing the connection inside one
    // drops it.
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    class Impl;

private:
    std::shared_ptr<Impl> m_impl;
    friend class Recordset;
};

class Field;

class Recordset
{
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // adStateClosed or adStateOpen.
    int State() const;
    void Close();

    int MaxRecords() const;
    // Only while closed; 0 means no limit.
    void setMaxRecords(int maxRecords);
    // The most characters of a text value read (of a binary one, four bytes for each), the
    // rest left with the driver; only while closed; 0 means no limit.
    int MaxTextLength() const;
    void setMaxTextLength(int characters);

    // CommandOption::Text: source is a query, its rows arrive in the order the source gives them,
    // fetched one at a time, and no more than MaxRecords of them. Its ? markers take
    // parameters in order, always bound, never spliced into the text: a QString as text
    // (null or empty as empty text), a double as a double, integers and bools as 64-bit
    // integers, a null or invalid QVariant as NULL, anything else as its text.
    // CommandOption::Table: source is a table name. Opened for changes (not ReadOnly) the
    // table's rows are not read at all: the recordset only appends, whatever the size.
    void Open(const QString &source, Connection &connection, CursorType cursorType,
              LockType lockType, CommandOption options, const QVariantList &parameters = {});

    bool Eof() const;
    void MoveNext();

    void AddNew();
    void Update();
    // Drops the row AddNew started without storing it.
    void CancelUpdate();

    int FieldCount() const;
    Field Fields(short index);

    class Impl;

private:
    std::unique_ptr<Impl> m_impl;
    friend class Field;
};

// One column of the current row, whatever its name: it reads as the driver gives it, a
// QString (text), a double, a qlonglong (integers) or a QByteArray (binary); NULL reads as
// a null QVariant of the column's type. What a value means is the caller's business.
class Field
{
public:
    QString Name() const;
    QVariant Value() const;
    // Only on the row AddNew started; text that does not fit the column fails.
    void setValue(const QString &text);

private:
    friend class Recordset;
    Field(Recordset &recordset, int index) : m_recordset(&recordset), m_index(index) {}
    Recordset *m_recordset;
    int m_index;
};

} // namespace db
