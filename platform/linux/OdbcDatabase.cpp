// The database objects over unixODBC, reached through QtSql's ODBC driver (QODBC).

#include "Database.h"

#include "DateServices.h"
#include "Failure.h"

#include <QAtomicInteger>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <memory>
#include <optional>
#include <set>

namespace db {

namespace {

const QString kDateTimeColumn = QStringLiteral("datetime");

[[noreturn]] void fail(const QString &description)
{
    throw Failure(GeneralFailure, description, QStringLiteral("Database"));
}

[[noreturn]] void fail(const QSqlError &error, const QString &fallback)
{
    // databaseText holds the driver manager's and the driver's own diagnostics.
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    fail(text.isEmpty() ? fallback : text);
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

// The program names tables itself; a table name still never reaches SQL unless it is a
// plain (optionally schema-qualified) identifier.
bool isPlainTableName(const QString &name)
{
    static const QRegularExpression plain(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$"));
    return plain.match(name).hasMatch();
}

// QtSql's ODBC driver puts its own "DSN=" in front of a bare data source name.
QString qtDatabaseName(const QString &connectionString)
{
    QString name = connectionString.trimmed();
    if (name.startsWith(QLatin1String("DSN="), Qt::CaseInsensitive))
        name.remove(0, 4);
    return name;
}

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("ringvane-odbc-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

} // namespace

// ---------------------------------------------------------------------------------------

class Connection::Impl
{
public:
    explicit Impl(QString provider) : provider(std::move(provider)) {}

    QSqlDatabase database() const { return QSqlDatabase::database(name, false); }
    bool isOpen() const { return !name.isEmpty() && database().isOpen(); }
    void close();

    QString provider;
    QString name; // the QSqlDatabase connection name while one exists
    int cursorLocation = 2;
    std::set<Recordset::Impl *> recordsets;
    // Prepared INSERT statements by table and columns. They live with the connection, not
    // the recordset: the call log reopens its recordset for every call, and preparing
    // anew each time cost more than the insert itself.
    QHash<QString, std::shared_ptr<QSqlQuery>> inserts;
    // The same for the query that opens a table for appending, run once per call.
    QHash<QString, std::shared_ptr<QSqlQuery>> columnProbes;
    QSqlQuery &columnProbe(const QString &table);
};

class Recordset::Impl
{
public:
    ~Impl() { detach(); }

    void detach()
    {
        query.reset();
        if (connection)
            connection->recordsets.erase(this);
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
        if (query->next()) {
            ++rowsRead;
            atEnd = false;
            return;
        }
        atEnd = true;
        if (query->lastError().isValid())
            fail(query->lastError(), QStringLiteral("Could not read the next row."));
    }

    QSqlQuery &insertFor(const QList<int> &columns);

    std::shared_ptr<Connection::Impl> connection;
    bool isOpen = false;
    bool appendOnly = false;
    int maxRecords = 0;
    std::optional<QSqlQuery> query;
    QSqlRecord columns;
    int dateColumn = -1;
    int rowsRead = 0;
    bool atEnd = true;
    QString table;

    bool pending = false;
    QList<QVariant> values;
    QList<bool> assigned;
};

void Connection::Impl::close()
{
    // Queries must go before their connection does.
    while (!recordsets.empty())
        (*recordsets.begin())->detach();
    inserts.clear();
    columnProbes.clear();
    if (name.isEmpty())
        return;
    {
        QSqlDatabase db = database();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    name.clear();
}

// For appending only the column list is needed: a query that can match no row gives it
// without reading the table, however many rows it holds.
QSqlQuery &Connection::Impl::columnProbe(const QString &table)
{
    auto it = columnProbes.find(table);
    if (it != columnProbes.end())
        return **it;
    auto probe = std::make_shared<QSqlQuery>(database());
    probe->setForwardOnly(true);
    if (!probe->prepare(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE 1=0")))
        fail(probe->lastError(), QStringLiteral("The source could not be opened."));
    columnProbes.insert(table, probe);
    return *probe;
}

QSqlQuery &Recordset::Impl::insertFor(const QList<int> &columnIndexes)
{
    // Named columns, not positions: a table made anew with other columns gets its own.
    QString key = table;
    for (int i : columnIndexes)
        key += QLatin1Char('\n') + columns.fieldName(i);
    auto &inserts = connection->inserts;
    auto it = inserts.find(key);
    if (it != inserts.end())
        return **it;

    const QSqlDatabase db = connection->database();
    QString sql = QStringLiteral("INSERT INTO ") + table;
    if (columnIndexes.isEmpty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList names;
        QStringList marks;
        for (int i : columnIndexes) {
            names << db.driver()->escapeIdentifier(columns.fieldName(i), QSqlDriver::FieldName);
            marks << QStringLiteral("?");
        }
        sql += QStringLiteral(" (%1) VALUES (%2)").arg(names.join(QLatin1Char(',')),
                                                       marks.join(QLatin1Char(',')));
    }
    auto insert = std::make_shared<QSqlQuery>(db);
    if (!insert->prepare(sql))
        fail(insert->lastError(), QStringLiteral("Could not prepare the new row."));
    inserts.insert(key, insert);
    return *insert;
}

// ---------------------------------------------------------------------------------------

Connection::Connection(QString provider) : m_impl(std::make_shared<Impl>(std::move(provider))) {}

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

void Connection::Open(const QString &connectionString, const QString &user,
                      const QString &password, int /*options*/)
{
    if (m_impl->isOpen())
        failOpen();
    m_impl->close();

    static const QString kNoProvider =
        QStringLiteral("Provider cannot be found. It may not be properly installed.");
    if (!QSqlDatabase::isDriverAvailable(m_impl->provider))
        throw Failure(ErrorNumber::ProviderNotFound, kNoProvider, QStringLiteral("Database"));

    const QString name = nextConnectionName();
    QSqlError error;
    bool valid = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(m_impl->provider, name);
        // A plugin that is listed but cannot load (no driver manager) gives no driver.
        valid = db.isValid();
        if (valid) {
            db.setDatabaseName(qtDatabaseName(connectionString));
            db.setUserName(user);
            db.setPassword(password);
            if (db.open()) {
                m_impl->name = name;
                return;
            }
            error = db.lastError();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!valid)
        throw Failure(ErrorNumber::ProviderNotFound, kNoProvider, QStringLiteral("Database"));
    fail(error, QStringLiteral("Could not open the data source."));
}

void Connection::Close()
{
    if (!m_impl->isOpen())
        failClosed();
    m_impl->close();
}

int Connection::State() const
{
    return m_impl->isOpen() ? 1 : 0;
}

void Connection::Execute(const QString &statement)
{
    if (!m_impl->isOpen())
        failClosed();
    QSqlQuery query(m_impl->database());
    if (!query.exec(statement))
        fail(query.lastError(), QStringLiteral("The statement failed."));
}

// ---------------------------------------------------------------------------------------

Recordset::Recordset() : m_impl(std::make_unique<Impl>()) {}

Recordset::~Recordset() = default;

int Recordset::State() const
{
    return m_impl->isOpen ? 1 : 0;
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

void Recordset::Open(const QString &source, Connection &connection, int /*cursorType*/,
                     int lockType, int options)
{
    Impl &d = *m_impl;
    if (d.isOpen)
        failOpen();
    if (!connection.m_impl->isOpen())
        fail(QStringLiteral("The connection cannot be used to perform this operation. It is "
                            "either closed or invalid in this context."));

    const bool isTable = options == CmdTable;
    if (isTable && !isPlainTableName(source))
        fail(QStringLiteral("The table name is not a plain name."));

    const bool appendOnly = isTable && lockType != LockReadOnly;
    std::optional<QSqlQuery> rows;
    QSqlRecord columns;
    if (appendOnly) {
        Connection::Impl &c = *connection.m_impl;
        QSqlQuery *probe = &c.columnProbe(source);
        if (!probe->exec()) {
            // A table made anew can refuse a kept statement (PostgreSQL: its columns
            // changed); only a freshly prepared one failing means the table cannot open.
            c.columnProbes.remove(source);
            probe = &c.columnProbe(source);
            if (!probe->exec())
                fail(probe->lastError(), QStringLiteral("The source could not be opened."));
        }
        columns = probe->record();
        probe->finish();
    } else {
        QSqlQuery query(connection.m_impl->database());
        query.setForwardOnly(true);
        if (!query.exec(isTable ? QStringLiteral("SELECT * FROM ") + source : source))
            fail(query.lastError(), QStringLiteral("The source could not be opened."));
        columns = query.record();
        rows = std::move(query);
    }

    d.connection = connection.m_impl;
    d.connection->recordsets.insert(&d);
    d.query = std::move(rows);
    d.columns = columns;
    d.dateColumn = -1;
    for (int i = 0; i < d.columns.count(); ++i) {
        if (d.columns.fieldName(i).compare(kDateTimeColumn, Qt::CaseInsensitive) == 0) {
            d.dateColumn = i;
            break;
        }
    }
    d.appendOnly = appendOnly;
    d.table = isTable ? source : QString();
    d.rowsRead = 0;
    d.atEnd = true;
    d.pending = false;
    d.isOpen = true;
    if (appendOnly)
        return;
    try {
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
    d.values = QList<QVariant>(d.columns.count());
    d.assigned = QList<bool>(d.columns.count(), false);
    d.pending = true;
}

void Recordset::Update()
{
    Impl &d = *m_impl;
    d.requireOpen();
    if (!d.pending)
        failNoCurrentRow();
    QList<int> columnIndexes;
    for (int i = 0; i < d.assigned.size(); ++i) {
        if (d.assigned.at(i))
            columnIndexes << i;
    }
    // The row is finished either way: a failed store is reported, not retried later.
    d.pending = false;
    QSqlQuery &insert = d.insertFor(columnIndexes);
    for (int i = 0; i < columnIndexes.size(); ++i)
        insert.bindValue(i, d.values.at(columnIndexes.at(i)));
    const bool stored = insert.exec();
    const QSqlError error = insert.lastError();
    insert.finish();
    if (!stored)
        fail(error, QStringLiteral("The row could not be stored."));
}

void Recordset::CancelUpdate()
{
    m_impl->requireOpen();
    m_impl->pending = false;
}

int Recordset::FieldCount() const
{
    m_impl->requireOpen();
    return m_impl->columns.count();
}

Field Recordset::Fields(short index)
{
    m_impl->requireOpen();
    if (index < 0 || index >= m_impl->columns.count())
        fail(QStringLiteral("Item cannot be found in the collection corresponding to the "
                            "requested name or ordinal."));
    return Field(*this, index);
}

// ---------------------------------------------------------------------------------------

QString Field::Name() const
{
    const Recordset::Impl &d = *m_recordset->m_impl;
    d.requireOpen();
    return d.columns.fieldName(m_index);
}

QVariant Field::Value() const
{
    const Recordset::Impl &d = *m_recordset->m_impl;
    d.requireOpen();
    QVariant raw;
    if (d.pending)
        raw = d.values.at(m_index);
    else if (d.atEnd || !d.query)
        failNoCurrentRow();
    else
        raw = d.query->value(m_index);

    if (m_index != d.dateColumn || raw.isNull())
        return raw;
    bool ok = false;
    const double dayNumber = raw.toDouble(&ok);
    const QDateTime dateTime = ok ? dates::fromDayNumber(dayNumber) : QDateTime();
    if (!dateTime.isValid())
        fail(QStringLiteral("The stored value is not a date and time."));
    return dateTime;
}

void Field::setValue(const QString &text)
{
    Recordset::Impl &d = *m_recordset->m_impl;
    d.requireOpen();
    if (!d.pending)
        failNoCurrentRow();
    // Qt binds a null QString as SQL NULL; an empty text is still a text.
    QVariant value = text.isNull() ? QString::fromLatin1("") : text;
    if (m_index == d.dateColumn) {
        const std::optional<QDateTime> stamp = dates::parseCallStamp(text);
        if (!stamp)
            fail(QStringLiteral("Could not convert the text to a date and time."));
        value = dates::toDayNumber(*stamp);
    }
    d.values[m_index] = value;
    d.assigned[m_index] = true;
}

} // namespace db
