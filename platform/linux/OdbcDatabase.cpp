// The database objects on unixODBC's driver manager, through the ODBC C API. Text goes in
// and out as UTF-8 (the narrow API): the SQLite driver keeps it as it is, and psqlODBC's
// Unicode driver takes it as UTF-8 in every locale tried, so any caller text round-trips.

#include "platform/Database.h"

#include "failure/Failure.h"
#include "platform/linux/OdbcApi.h"
#include "platform/linux/OdbcConfig.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <climits>
#include <optional>
#include <set>
#include <vector>

namespace db {

namespace {

using odbc::Api;

const QString kLayer = QStringLiteral("Database");

// Enough of a driver's diagnostics to say what went wrong; a driver that repeats itself
// endlessly is not followed further.
constexpr SQLSMALLINT kMaxDiagnostics = 8;
constexpr int kMaxDescription = 4096;

[[noreturn]] void fail(const QString &description)
{
    throw Failure(GeneralFailure, description, kLayer);
}

[[noreturn]] void failClosed()
{
    fail(QStringLiteral("Operation is not allowed when the object is closed."));
}

[[noreturn]] void failOpen()
{
    fail(QStringLiteral("Operation is not allowed when the object is open."));
}

[[noreturn]] void failNoCurrentRow()
{
    fail(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                        "Requested operation requires a current record."));
}

// The driver's diagnostics on a handle as a Failure: "[SQLSTATE]words" for each record,
// the first record's state and native error, and who reported it.
Failure diagnosticFailure(const Api &api, SQLSMALLINT type, SQLHANDLE handle,
                          const QString &fallback, const QString &dbms)
{
    QString state;
    int native = 0;
    QString reporter;
    QStringList records;
    for (SQLSMALLINT i = 1; i <= kMaxDiagnostics; ++i) {
        SQLCHAR recordState[6] = {};
        SQLINTEGER recordNative = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(api.GetDiagRec(type, handle, i, recordState, &recordNative, message,
                                          SQLSMALLINT(sizeof message), &length)))
            break;
        const auto *text = reinterpret_cast<const char *>(message);
        const QString words = QString::fromUtf8(text, qstrnlen(text, sizeof message)).trimmed();
        const QString recordStateText =
            QString::fromLatin1(reinterpret_cast<const char *>(recordState),
                                qstrnlen(reinterpret_cast<const char *>(recordState), 5));
        if (i == 1) {
            state = recordStateText;
            native = int(recordNative);
            // "[vendor][component]text": the vendor is who reported it.
            if (words.startsWith(QLatin1Char('['))) {
                const qsizetype close = words.indexOf(QLatin1Char(']'));
                if (close > 1)
                    reporter = words.mid(1, close - 1);
            }
        }
        records << QLatin1Char('[') + recordStateText + QLatin1Char(']') + words;
    }
    if (reporter.isEmpty())
        reporter = dbms.isEmpty() ? kLayer : dbms;
    QString description = records.isEmpty() ? fallback : records.join(QLatin1Char('\n'));
    description.truncate(kMaxDescription);
    return Failure(GeneralFailure, description, reporter, state, native);
}

bool isIdentifier(QStringView part)
{
    const auto starts = [](QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
    };
    return !part.isEmpty() && starts(part.front()) &&
           std::all_of(part.begin() + 1, part.end(), [&](QChar c) {
               return starts(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
           });
}

// The program names tables itself; a table name still never reaches SQL unless it is a
// plain (optionally schema-qualified) identifier. Checked by hand: a regular expression
// here paged in the pattern library with the first call stored.
bool isPlainTableName(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return isIdentifier(name);
    return isIdentifier(QStringView(name).first(dot)) &&
           isIdentifier(QStringView(name).sliced(dot + 1));
}

// A connection string value in braces where it needs them.
QString connectionValue(const QString &value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) &&
        !value.contains(QLatin1Char('}')) && value.trimmed() == value)
        return value;
    QString braced = value;
    braced.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + braced + QLatin1Char('}');
}

// The given connection string with what the layer adds in front of it: the SQLite driver
// reads no further than a keyword without a value, such as the program's "ODBC;".
QString connectionStringFor(const QString &given, const QString &user, const QString &password,
                            const QString &additions)
{
    QString text = given.trimmed();
    // A bare data source name, as the program's data-access layer also took it.
    if (!text.contains(QLatin1Char('=')))
        text = QStringLiteral("DSN=") + text;
    QString front = additions;
    if (!user.isEmpty())
        front += QStringLiteral("UID=") + connectionValue(user) + QLatin1Char(';');
    if (!password.isEmpty())
        front += QStringLiteral("PWD=") + connectionValue(password) + QLatin1Char(';');
    return front + text;
}

// How a column's values are fetched.
enum class ReadAs { Text, Double, Integer, Binary };

ReadAs readAsFor(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_DOUBLE:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        return ReadAs::Double;
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
        return ReadAs::Integer;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return ReadAs::Binary;
    default:
        return ReadAs::Text;
    }
}

QMetaType metaTypeFor(ReadAs readAs)
{
    switch (readAs) {
    case ReadAs::Double:
        return QMetaType::fromType<double>();
    case ReadAs::Integer:
        return QMetaType::fromType<qlonglong>();
    case ReadAs::Binary:
        return QMetaType::fromType<QByteArray>();
    case ReadAs::Text:
        break;
    }
    return QMetaType::fromType<QString>();
}

struct Column
{
    QString name;
    ReadAs readAs = ReadAs::Text;
    // Numbers in the leading columns are bound: the fetch fills them without a call per
    // value. The rest are read with SQLGetData, which may only follow the bound ones.
    bool bound = false;
    double real = 0;
    SQLBIGINT integer = 0;
    SQLLEN indicator = 0;
};

// Parameter values as the driver reads them; they stay where they are until the
// statement has run.
class BoundParameters
{
public:
    // Binds parameters to statement's ? markers in order; the driver's failure is returned.
    SQLRETURN bind(const Api &api, SQLHSTMT statement, const QVariantList &parameters)
    {
        m_values.clear();
        m_values.resize(size_t(parameters.size()));
        for (qsizetype i = 0; i < parameters.size(); ++i) {
            Value &v = m_values[size_t(i)];
            const QVariant &p = parameters.at(i);
            const SQLUSMALLINT number = SQLUSMALLINT(i + 1);
            SQLRETURN rc;
            const int type = p.typeId();
            if (type == QMetaType::QString) {
                rc = bindText(api, statement, number, v, p.toString().toUtf8());
            } else if (p.isNull()) {
                v.indicator = SQL_NULL_DATA;
                rc = api.BindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                       1, 0, nullptr, 0, &v.indicator);
            } else if (type == QMetaType::Double || type == QMetaType::Float) {
                v.real = p.toDouble();
                rc = api.BindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE,
                                       15, 0, &v.real, 0, nullptr);
            } else if (type == QMetaType::Int || type == QMetaType::UInt ||
                       type == QMetaType::LongLong || type == QMetaType::ULongLong ||
                       type == QMetaType::Short || type == QMetaType::UShort ||
                       type == QMetaType::Long || type == QMetaType::ULong ||
                       type == QMetaType::Bool) {
                v.integer = p.toLongLong();
                rc = api.BindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_SBIGINT,
                                       SQL_BIGINT, 19, 0, &v.integer, 0, nullptr);
            } else {
                rc = bindText(api, statement, number, v, p.toString().toUtf8());
            }
            if (!SQL_SUCCEEDED(rc))
                return rc;
        }
        return SQL_SUCCESS;
    }

private:
    struct Value
    {
        QByteArray text;
        double real = 0;
        SQLBIGINT integer = 0;
        SQLLEN indicator = 0;
    };

    static SQLRETURN bindText(const Api &api, SQLHSTMT statement, SQLUSMALLINT number, Value &v,
                              QByteArray utf8)
    {
        // An empty text is a text of length 0, never NULL.
        v.text = std::move(utf8);
        v.indicator = SQLLEN(v.text.size());
        return api.BindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                 SQLULEN(std::max<qsizetype>(v.text.size(), 1)), 0, v.text.data(),
                                 v.indicator, &v.indicator);
    }

    std::vector<Value> m_values;

public:
    bool empty() const { return m_values.empty(); }
    void clear() { m_values.clear(); }
};

} // namespace

// ---------------------------------------------------------------------------------------

class Connection::Impl
{
public:
    explicit Impl(QString driverManager) : driverManager(std::move(driverManager)) {}
    ~Impl() { close(); }

    bool isOpen() const { return dbc != SQL_NULL_HDBC; }
    void requireOpen() const
    {
        if (!isOpen())
            failClosed();
    }
    void close();

    void setTimeLimit(int &limit, int seconds)
    {
        if (isOpen())
            failOpen();
        if (seconds < 0)
            fail(QStringLiteral("A time limit cannot be negative."));
        limit = seconds;
    }

    Failure failureOn(SQLSMALLINT type, SQLHANDLE handle, const QString &fallback) const
    {
        return diagnosticFailure(*api, type, handle, fallback, dbms);
    }
    Failure statementFailure(SQLHSTMT statement, const QString &fallback) const
    {
        return failureOn(SQL_HANDLE_STMT, statement, fallback);
    }

    // A statement handle with the connection's time limit, a spare one when there is one.
    SQLHSTMT takeStatement(SQLULEN maxRows = 0);
    // Closes statement's cursor and keeps it for the next use, or frees it; maxRows is the
    // row limit it was taken with, bound whether parameters or columns were bound to it.
    void giveBack(SQLHSTMT statement, SQLULEN maxRows = 0, bool bound = false);
    void freeStatement(SQLHSTMT statement)
    {
        if (statement != SQL_NULL_HSTMT)
            api->FreeHandle(SQL_HANDLE_STMT, statement);
    }

    // Runs text on statement with parameters, which bound keeps for as long as the
    // statement may read them; false with the failure left on the statement.
    bool run(SQLHSTMT statement, const QString &text, const QVariantList &parameters,
             BoundParameters &bound);

    // The columns of statement's result.
    std::vector<Column> describe(SQLHSTMT statement) const;

    QString quoted(const QString &identifier) const
    {
        if (quote.isEmpty())
            return identifier;
        QString text = identifier;
        text.replace(quote, quote + quote);
        return quote + text + quote;
    }

    void endTransaction(SQLSMALLINT completion);

    // A statement of its own with text prepared on it, for the connection to keep.
    SQLHSTMT prepared(const QString &text, const QString &fallback);
    SQLHSTMT columnProbe(const QString &table);
    SQLHSTMT insertFor(const QString &table, const QStringList &columns);

    QString driverManager;
    const Api *api = nullptr;
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    int cursorLocation = adUseServer;
    int loginTimeout = DefaultLoginTimeout;
    int queryTimeout = DefaultQueryTimeout;
    // The SQLite driver ignores the query timeout; its busy timeout is set instead.
    bool driverTimesQueries = true;
    QString dbms;
    QString quote;
    bool inTransaction = false;
    std::set<Recordset::Impl *> recordsets;

    struct Spare
    {
        SQLHSTMT statement;
        SQLULEN maxRows;
    };
    std::vector<Spare> spares;
    // Prepared INSERT statements by table and columns. They live with the connection, not
    // the recordset: the call log reopens its recordset for every call, and preparing
    // anew each time would cost more than the insert itself.
    QHash<QString, SQLHSTMT> inserts;
    // The same for the query that opens a table for appending, run once per call.
    QHash<QString, SQLHSTMT> columnProbes;
};

class Recordset::Impl
{
public:
    ~Impl() { detach(); }

    void detach()
    {
        if (connection) {
            if (statement != SQL_NULL_HSTMT)
                connection->giveBack(statement, SQLULEN(maxRecords),
                                     !parameters.empty() || hasBoundColumns);
            connection->recordsets.erase(this);
        }
        parameters.clear();
        hasBoundColumns = false;
        statement = SQL_NULL_HSTMT;
        connection.reset();
        isOpen = false;
        pending = false;
    }

    void requireOpen() const
    {
        if (!isOpen)
            failClosed();
    }

    void advance()
    {
        if (maxRecords > 0 && rowsRead >= maxRecords) {
            atEnd = true;
            return;
        }
        const Api &api = *connection->api;
        const SQLRETURN rc = api.Fetch(statement);
        if (rc == SQL_NO_DATA) {
            atEnd = true;
            return;
        }
        if (!SQL_SUCCEEDED(rc)) {
            atEnd = true;
            throw connection->statementFailure(
                statement, QCoreApplication::translate("Database", "Could not read the next row."));
        }
        ++rowsRead;
        atEnd = false;
        for (size_t i = 0; i < columns.size(); ++i) {
            Column &column = columns[i];
            if (!column.bound) {
                row[qsizetype(i)] = readColumn(SQLUSMALLINT(i + 1), column.readAs);
            } else if (column.indicator == SQL_NULL_DATA) {
                row[qsizetype(i)] = QVariant(metaTypeFor(column.readAs));
            } else {
                row[qsizetype(i)] = column.readAs == ReadAs::Double
                                        ? QVariant(column.real)
                                        : QVariant(qlonglong(column.integer));
            }
        }
    }

    // Binds the leading number columns; false with the failure left on the statement.
    bool bindColumns()
    {
        const Api &api = *connection->api;
        for (size_t i = 0; i < columns.size(); ++i) {
            Column &column = columns[i];
            if (column.readAs != ReadAs::Double && column.readAs != ReadAs::Integer)
                break;
            const bool real = column.readAs == ReadAs::Double;
            if (!SQL_SUCCEEDED(api.BindCol(statement, SQLUSMALLINT(i + 1),
                                           real ? SQL_C_DOUBLE : SQL_C_SBIGINT,
                                           real ? static_cast<SQLPOINTER>(&column.real)
                                                : static_cast<SQLPOINTER>(&column.integer),
                                           0, &column.indicator)))
                return false;
            column.bound = true;
            hasBoundColumns = true;
        }
        return true;
    }

    QVariant readColumn(SQLUSMALLINT number, ReadAs readAs)
    {
        const Api &api = *connection->api;
        SQLLEN indicator = 0;
        SQLRETURN rc;
        switch (readAs) {
        case ReadAs::Double: {
            double value = 0;
            rc = api.GetData(statement, number, SQL_C_DOUBLE, &value, 0, &indicator);
            if (SQL_SUCCEEDED(rc))
                return indicator == SQL_NULL_DATA ? QVariant(metaTypeFor(readAs)) : QVariant(value);
            break;
        }
        case ReadAs::Integer: {
            SQLBIGINT value = 0;
            rc = api.GetData(statement, number, SQL_C_SBIGINT, &value, 0, &indicator);
            if (SQL_SUCCEEDED(rc))
                return indicator == SQL_NULL_DATA ? QVariant(metaTypeFor(readAs))
                                                  : QVariant(qlonglong(value));
            break;
        }
        case ReadAs::Text:
        case ReadAs::Binary:
            return readLong(number, readAs);
        }
        throw connection->statementFailure(
            statement, QCoreApplication::translate("Database", "Could not read a value."));
    }

    // Text and binary values in pieces: most fit the first one.
    QVariant readLong(SQLUSMALLINT number, ReadAs readAs)
    {
        const Api &api = *connection->api;
        const SQLSMALLINT cType = readAs == ReadAs::Text ? SQL_C_CHAR : SQL_C_BINARY;
        const SQLLEN terminator = readAs == ReadAs::Text ? 1 : 0;
        char piece[512];
        QByteArray whole;
        for (bool first = true;; first = false) {
            SQLLEN indicator = 0;
            const SQLRETURN rc =
                api.GetData(statement, number, cType, piece, sizeof piece, &indicator);
            if (rc == SQL_NO_DATA)
                break;
            if (!SQL_SUCCEEDED(rc))
                throw connection->statementFailure(
                    statement, QCoreApplication::translate("Database", "Could not read a value."));
            if (indicator == SQL_NULL_DATA)
                return QVariant(metaTypeFor(readAs));
            const SQLLEN room = SQLLEN(sizeof piece) - terminator;
            const bool truncated = indicator == SQL_NO_TOTAL || indicator > room;
            const qsizetype got = truncated ? room : indicator;
            if (first && !truncated) {
                if (readAs == ReadAs::Text)
                    return QString::fromUtf8(piece, got);
                return QByteArray(piece, got);
            }
            whole.append(piece, got);
            if (!truncated)
                break;
            // Enough bytes for the longest text wanted, however wide its characters: the
            // rest of the value is never fetched.
            if (maxTextLength > 0 && whole.size() >= 4 * qsizetype(maxTextLength))
                break;
        }
        if (readAs == ReadAs::Text) {
            QString text = QString::fromUtf8(whole);
            if (maxTextLength > 0)
                text.truncate(maxTextLength);
            return text;
        }
        return whole;
    }

    std::shared_ptr<Connection::Impl> connection;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    BoundParameters parameters;
    bool hasBoundColumns = false;
    bool isOpen = false;
    bool appendOnly = false;
    int maxRecords = 0;
    int maxTextLength = 0;
    std::vector<Column> columns;
    QVariantList row;
    int rowsRead = 0;
    bool atEnd = true;
    QString table;

    bool pending = false;
    QVariantList values;
    QList<bool> assigned;
};

void Connection::Impl::close()
{
    // Statements must go before their connection does.
    while (!recordsets.empty())
        (*recordsets.begin())->detach();
    if (!isOpen())
        return;
    for (SQLHSTMT statement : std::as_const(inserts))
        freeStatement(statement);
    inserts.clear();
    for (SQLHSTMT statement : std::as_const(columnProbes))
        freeStatement(statement);
    columnProbes.clear();
    for (const Spare &spare : spares)
        freeStatement(spare.statement);
    spares.clear();
    if (inTransaction)
        api->EndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    inTransaction = false;
    api->Disconnect(dbc);
    api->FreeHandle(SQL_HANDLE_DBC, dbc);
    api->FreeHandle(SQL_HANDLE_ENV, env);
    dbc = SQL_NULL_HDBC;
    env = SQL_NULL_HENV;
    dbms.clear();
    quote.clear();
    driverTimesQueries = true;
}

SQLHSTMT Connection::Impl::takeStatement(SQLULEN maxRows)
{
    requireOpen();
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLULEN hasMaxRows = 0;
    if (!spares.empty()) {
        statement = spares.back().statement;
        hasMaxRows = spares.back().maxRows;
        spares.pop_back();
    } else {
        if (!SQL_SUCCEEDED(api->AllocHandle(SQL_HANDLE_STMT, dbc, &statement)))
            throw failureOn(SQL_HANDLE_DBC, dbc,
                            QCoreApplication::translate("Database", "Could not make a statement."));
        if (driverTimesQueries && queryTimeout > 0)
            api->SetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT,
                             reinterpret_cast<SQLPOINTER>(SQLULEN(queryTimeout)), 0);
    }
    // The limit lets the driver stop early too; a driver without it just reads on.
    if (maxRows != hasMaxRows)
        api->SetStmtAttr(statement, SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(maxRows), 0);
    return statement;
}

void Connection::Impl::giveBack(SQLHSTMT statement, SQLULEN maxRows, bool bound)
{
    if (!isOpen())
        return;
    api->FreeStmt(statement, SQL_CLOSE);
    // The next user must not find markers or columns bound to memory that is gone.
    if (bound) {
        api->FreeStmt(statement, SQL_RESET_PARAMS);
        api->FreeStmt(statement, SQL_UNBIND);
    }
    if (spares.size() < 2) {
        spares.push_back({statement, maxRows});
        return;
    }
    freeStatement(statement);
}

bool Connection::Impl::run(SQLHSTMT statement, const QString &text, const QVariantList &parameters,
                           BoundParameters &bound)
{
    if (!parameters.isEmpty()) {
        if (!SQL_SUCCEEDED(bound.bind(*api, statement, parameters)))
            return false;
    }
    const QByteArray sql = text.toUtf8();
    const SQLRETURN rc =
        api->ExecDirect(statement, reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql.constData())),
                        SQLINTEGER(sql.size()));
    // A searched UPDATE or DELETE that touches no row gives SQL_NO_DATA.
    return SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
}

std::vector<Column> Connection::Impl::describe(SQLHSTMT statement) const
{
    SQLSMALLINT count = 0;
    if (!SQL_SUCCEEDED(api->NumResultCols(statement, &count)))
        throw statementFailure(
            statement, QCoreApplication::translate("Database", "Could not read the columns."));
    std::vector<Column> columns(size_t(std::max<SQLSMALLINT>(count, 0)));
    for (SQLSMALLINT i = 0; i < count; ++i) {
        SQLCHAR name[256] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!SQL_SUCCEEDED(api->DescribeCol(statement, SQLUSMALLINT(i + 1), name, sizeof name,
                                            &nameLength, &sqlType, &size, &digits, &nullable)))
            throw statementFailure(
                statement, QCoreApplication::translate("Database", "Could not read the columns."));
        const auto *text = reinterpret_cast<const char *>(name);
        columns[size_t(i)] = {QString::fromUtf8(text, qstrnlen(text, sizeof name)),
                              readAsFor(sqlType)};
    }
    return columns;
}

void Connection::Impl::endTransaction(SQLSMALLINT completion)
{
    requireOpen();
    if (!inTransaction)
        fail(QStringLiteral("No transaction is active."));
    std::optional<Failure> failure;
    SQLRETURN rc = api->EndTran(SQL_HANDLE_DBC, dbc, completion);
    if (!SQL_SUCCEEDED(rc)) {
        failure =
            failureOn(SQL_HANDLE_DBC, dbc,
                      QCoreApplication::translate("Database", "The transaction could not end."));
        // A commit that failed leaves nothing half-stored.
        if (completion == SQL_COMMIT)
            api->EndTran(SQL_HANDLE_DBC, dbc, SQL_ROLLBACK);
    }
    inTransaction = false;
    rc = api->SetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                             reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_AUTOCOMMIT_ON)), 0);
    if (!failure && !SQL_SUCCEEDED(rc))
        failure =
            failureOn(SQL_HANDLE_DBC, dbc,
                      QCoreApplication::translate("Database", "The transaction could not end."));
    if (failure)
        throw *failure;
}

SQLHSTMT Connection::Impl::prepared(const QString &text, const QString &fallback)
{
    SQLHSTMT statement = takeStatement();
    const QByteArray sql = text.toUtf8();
    if (!SQL_SUCCEEDED(api->Prepare(
            statement, reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql.constData())),
            SQLINTEGER(sql.size())))) {
        const Failure failure = statementFailure(statement, fallback);
        freeStatement(statement);
        throw failure;
    }
    return statement;
}

// For appending only the column list is needed: a query that can match no row gives it
// without reading the table, however many rows it holds.
SQLHSTMT Connection::Impl::columnProbe(const QString &table)
{
    auto it = columnProbes.constFind(table);
    if (it != columnProbes.constEnd())
        return *it;
    SQLHSTMT probe =
        prepared(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE 1=0"),
                 QCoreApplication::translate("Database", "The source could not be opened."));
    columnProbes.insert(table, probe);
    return probe;
}

SQLHSTMT Connection::Impl::insertFor(const QString &table, const QStringList &columns)
{
    // Named columns, not positions: a table made anew with other columns gets its own.
    const QString key = table + QLatin1Char('\n') + columns.join(QLatin1Char('\n'));
    auto it = inserts.constFind(key);
    if (it != inserts.constEnd())
        return *it;

    QString sql = QStringLiteral("INSERT INTO ") + table;
    if (columns.isEmpty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList names;
        QStringList marks;
        for (const QString &column : columns) {
            names << quoted(column);
            marks << QStringLiteral("?");
        }
        sql += QStringLiteral(" (%1) VALUES (%2)")
                   .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    }
    SQLHSTMT insert =
        prepared(sql, QCoreApplication::translate("Database", "Could not prepare the new row."));
    inserts.insert(key, insert);
    return insert;
}

// ---------------------------------------------------------------------------------------

Connection::Connection(QString driverManager)
    : m_impl(std::make_shared<Impl>(std::move(driverManager)))
{}

Connection::~Connection()
{
    m_impl->close();
}

int Connection::CursorLocation() const
{
    return m_impl->cursorLocation;
}

void Connection::setCursorLocation(int location)
{
    if (m_impl->isOpen())
        failOpen();
    m_impl->cursorLocation = location;
}

int Connection::LoginTimeout() const
{
    return m_impl->loginTimeout;
}

void Connection::setLoginTimeout(int seconds)
{
    m_impl->setTimeLimit(m_impl->loginTimeout, seconds);
}

int Connection::QueryTimeout() const
{
    return m_impl->queryTimeout;
}

void Connection::setQueryTimeout(int seconds)
{
    m_impl->setTimeLimit(m_impl->queryTimeout, seconds);
}

void Connection::Open(const QString &connectionString, const QString &user, const QString &password,
                      int /*options*/)
{
    Impl &c = *m_impl;
    if (c.isOpen())
        failOpen();

    c.api = odbc::load(c.driverManager);
    if (!c.api)
        throw Failure(
            ErrorNumber::ProviderNotFound,
            QCoreApplication::translate(
                "Database", "Provider cannot be found. It may not be properly installed."),
            kLayer);
    const Api &api = *c.api;

    // The SQLite driver ignores the query timeout. Its own busy timeout (Timeout, in
    // milliseconds) bounds how long a statement waits for a file another program has
    // locked; it waits that long twice for a write, hence half the limit.
    const QString given = connectionStringFor(connectionString, {}, {}, {});
    const bool sqlite = odbc::isSqliteDriver(odbc::driverLibraryFor(given));
    QString additions;
    if (sqlite && c.queryTimeout > 0 && !odbc::connectionKeyword(given, QStringLiteral("Timeout")))
        additions = QStringLiteral("Timeout=%1;").arg(qint64(c.queryTimeout) * 500);
    const QByteArray text =
        connectionStringFor(connectionString, user, password, additions).toUtf8();
    if (text.size() > SHRT_MAX)
        fail(QCoreApplication::translate("Database", "The connection string is too long."));

    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(api.AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        fail(QCoreApplication::translate("Database", "The ODBC driver manager could not start."));
    api.SetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_OV_ODBC3)),
                   0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(api.AllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        const Failure failure = diagnosticFailure(
            api, SQL_HANDLE_ENV, env,
            QCoreApplication::translate("Database", "Could not make a connection."), {});
        api.FreeHandle(SQL_HANDLE_ENV, env);
        throw failure;
    }
    if (c.loginTimeout > 0)
        api.SetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(SQLULEN(c.loginTimeout)), 0);

    const SQLRETURN rc = api.DriverConnect(
        dbc, nullptr, reinterpret_cast<SQLCHAR *>(const_cast<char *>(text.constData())),
        SQLSMALLINT(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const Failure failure = diagnosticFailure(
            api, SQL_HANDLE_DBC, dbc,
            QCoreApplication::translate("Database", "Could not open the data source."), {});
        api.FreeHandle(SQL_HANDLE_DBC, dbc);
        api.FreeHandle(SQL_HANDLE_ENV, env);
        throw failure;
    }
    c.env = env;
    c.dbc = dbc;

    auto info = [&](SQLUSMALLINT type) {
        char value[64] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(api.GetInfo(dbc, type, value, sizeof value, &length)))
            return QString();
        return QString::fromUtf8(value, qstrnlen(value, sizeof value));
    };
    c.dbms = info(SQL_DBMS_NAME);
    c.quote = info(SQL_IDENTIFIER_QUOTE_CHAR).trimmed();
    c.driverTimesQueries = !sqlite;
}

void Connection::Close()
{
    m_impl->requireOpen();
    m_impl->close();
}

int Connection::State() const
{
    return m_impl->isOpen() ? adStateOpen : adStateClosed;
}

QString Connection::dbmsName() const
{
    return m_impl->isOpen() ? m_impl->dbms : QString();
}

qint64 Connection::Execute(const QString &statement, const QVariantList &parameters)
{
    Impl &c = *m_impl;
    SQLHSTMT handle = c.takeStatement();
    BoundParameters bound;
    if (!c.run(handle, statement, parameters, bound)) {
        const Failure failure = c.statementFailure(
            handle, QCoreApplication::translate("Database", "The statement failed."));
        c.giveBack(handle, 0, !bound.empty());
        throw failure;
    }
    SQLLEN rows = -1;
    if (!SQL_SUCCEEDED(c.api->RowCount(handle, &rows)))
        rows = -1;
    c.giveBack(handle, 0, !bound.empty());
    return qint64(rows);
}

int Connection::BeginTrans()
{
    Impl &c = *m_impl;
    c.requireOpen();
    if (c.inTransaction)
        fail(QStringLiteral("A transaction is already active."));
    if (!SQL_SUCCEEDED(
            c.api->SetConnectAttr(c.dbc, SQL_ATTR_AUTOCOMMIT,
                                  reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_AUTOCOMMIT_OFF)), 0)))
        throw c.failureOn(
            SQL_HANDLE_DBC, c.dbc,
            QCoreApplication::translate("Database", "The transaction could not begin."));
    c.inTransaction = true;
    return 1;
}

void Connection::CommitTrans()
{
    m_impl->endTransaction(SQL_COMMIT);
}

void Connection::RollbackTrans()
{
    m_impl->endTransaction(SQL_ROLLBACK);
}

// ---------------------------------------------------------------------------------------

Recordset::Recordset() : m_impl(std::make_unique<Impl>()) {}

Recordset::~Recordset() = default;

int Recordset::State() const
{
    return m_impl->isOpen ? adStateOpen : adStateClosed;
}

void Recordset::Close()
{
    m_impl->requireOpen();
    m_impl->detach();
}

int Recordset::MaxRecords() const
{
    return m_impl->maxRecords;
}

void Recordset::setMaxRecords(int maxRecords)
{
    if (m_impl->isOpen)
        failOpen();
    if (maxRecords < 0)
        fail(QStringLiteral("MaxRecords cannot be negative."));
    m_impl->maxRecords = maxRecords;
}

int Recordset::MaxTextLength() const
{
    return m_impl->maxTextLength;
}

void Recordset::setMaxTextLength(int characters)
{
    if (m_impl->isOpen)
        failOpen();
    if (characters < 0)
        fail(QStringLiteral("MaxTextLength cannot be negative."));
    m_impl->maxTextLength = characters;
}

void Recordset::Open(const QString &source, Connection &connection, CursorType /*cursorType*/,
                     LockType lockType, CommandOption options, const QVariantList &parameters)
{
    Impl &d = *m_impl;
    if (d.isOpen)
        failOpen();
    Connection::Impl &c = *connection.m_impl;
    if (!c.isOpen())
        fail(QStringLiteral("The connection cannot be used to perform this operation. It is "
                            "either closed or invalid in this context."));

    const bool isTable = options == CommandOption::Table;
    if (isTable && !isPlainTableName(source))
        fail(QStringLiteral("The table name is not a plain name."));
    if (isTable && !parameters.isEmpty())
        fail(QStringLiteral("Parameters go with command text only."));

    const bool appendOnly = isTable && lockType != LockType::ReadOnly;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    std::vector<Column> columns;
    if (appendOnly) {
        SQLHSTMT probe = c.columnProbe(source);
        if (!SQL_SUCCEEDED(c.api->Execute(probe))) {
            // A table made anew can refuse a kept statement (PostgreSQL: its columns
            // changed); only a freshly prepared one failing means the table cannot open.
            c.columnProbes.remove(source);
            c.freeStatement(probe);
            probe = c.columnProbe(source);
            if (!SQL_SUCCEEDED(c.api->Execute(probe)))
                throw c.statementFailure(probe, QCoreApplication::translate(
                                                    "Database", "The source could not be opened."));
        }
        try {
            columns = c.describe(probe);
        } catch (...) {
            c.api->FreeStmt(probe, SQL_CLOSE);
            throw;
        }
        c.api->FreeStmt(probe, SQL_CLOSE);
    } else {
        statement = c.takeStatement(SQLULEN(d.maxRecords));
        const QString text = isTable ? QStringLiteral("SELECT * FROM ") + source : source;
        try {
            if (!c.run(statement, text, parameters, d.parameters))
                throw c.statementFailure(
                    statement,
                    QCoreApplication::translate("Database", "The source could not be opened."));
            columns = c.describe(statement);
        } catch (...) {
            c.giveBack(statement, SQLULEN(d.maxRecords), !d.parameters.empty());
            d.parameters.clear();
            throw;
        }
    }

    d.connection = connection.m_impl;
    d.connection->recordsets.insert(&d);
    d.statement = statement;
    d.columns = std::move(columns);
    d.row = QVariantList(qsizetype(d.columns.size()));
    d.appendOnly = appendOnly;
    d.table = isTable ? source : QString();
    d.rowsRead = 0;
    d.atEnd = true;
    d.pending = false;
    d.isOpen = true;
    // A statement that gives no rows (or no result at all) is an empty recordset.
    if (appendOnly || d.columns.empty())
        return;
    try {
        if (!d.bindColumns())
            throw c.statementFailure(d.statement, QCoreApplication::translate(
                                                      "Database", "Could not read the columns."));
        d.advance();
    } catch (...) {
        d.detach();
        throw;
    }
}

bool Recordset::Eof() const
{
    m_impl->requireOpen();
    return m_impl->pending ? false : m_impl->atEnd;
}

void Recordset::MoveNext()
{
    Impl &d = *m_impl;
    d.requireOpen();
    if (d.appendOnly || d.atEnd)
        failNoCurrentRow();
    d.advance();
}

void Recordset::AddNew()
{
    Impl &d = *m_impl;
    d.requireOpen();
    if (!d.appendOnly)
        fail(QStringLiteral("Current Recordset does not support updating. This may be a "
                            "limitation of the provider, or of the selected locktype."));
    // A row that AddNew started and nobody stored is dropped, never stored half-filled.
    d.values = QVariantList(qsizetype(d.columns.size()));
    d.assigned = QList<bool>(qsizetype(d.columns.size()), false);
    d.pending = true;
}

void Recordset::Update()
{
    Impl &d = *m_impl;
    d.requireOpen();
    if (!d.pending)
        failNoCurrentRow();
    QStringList names;
    QVariantList values;
    for (qsizetype i = 0; i < d.assigned.size(); ++i) {
        if (d.assigned.at(i)) {
            names << d.columns[size_t(i)].name;
            values << d.values.at(i);
        }
    }
    // The row is finished either way: a failed store is reported, not retried later.
    d.pending = false;
    Connection::Impl &c = *d.connection;
    SQLHSTMT insert = c.insertFor(d.table, names);
    BoundParameters bound;
    SQLRETURN rc = bound.bind(*c.api, insert, values);
    if (SQL_SUCCEEDED(rc))
        rc = c.api->Execute(insert);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        throw c.statementFailure(
            insert, QCoreApplication::translate("Database", "The row could not be stored."));
}

void Recordset::CancelUpdate()
{
    m_impl->requireOpen();
    m_impl->pending = false;
}

int Recordset::FieldCount() const
{
    m_impl->requireOpen();
    return int(m_impl->columns.size());
}

Field Recordset::Fields(short index)
{
    m_impl->requireOpen();
    if (index < 0 || size_t(index) >= m_impl->columns.size())
        fail(QStringLiteral("Item cannot be found in the collection corresponding to the "
                            "requested name or ordinal."));
    return Field(*this, index);
}

// ---------------------------------------------------------------------------------------

QString Field::Name() const
{
    const Recordset::Impl &d = *m_recordset->m_impl;
    d.requireOpen();
    return d.columns[size_t(m_index)].name;
}

QVariant Field::Value() const
{
    const Recordset::Impl &d = *m_recordset->m_impl;
    d.requireOpen();
    QVariant raw;
    if (d.pending)
        raw = d.values.at(m_index);
    else if (d.atEnd || d.appendOnly)
        failNoCurrentRow();
    else
        raw = d.row.at(m_index);
    return raw;
}

void Field::setValue(const QString &text)
{
    Recordset::Impl &d = *m_recordset->m_impl;
    d.requireOpen();
    if (!d.pending)
        failNoCurrentRow();
    // A null QString is still a text: bound as an empty one, never as NULL.
    d.values[m_index] = text.isNull() ? QString::fromLatin1("") : text;
    d.assigned[m_index] = true;
}

} // namespace db
