#include "calllog/TAPI.h"

#include "failure/Failure.h"

#include <QCoreApplication>

#include <optional>

namespace TAPI {

namespace {

struct CallLog
{
    QString driverManager = QString::fromLatin1(db::DefaultDriverManager);
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> recordset;
    QString lastOpenFailure;
};

CallLog &callLog()
{
    static CallLog log;
    static const bool cleanupRegistered = [] {
        // The driver has to go while Qt is still there: static teardown comes too late.
        qAddPostRoutine(releaseCallLog);
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    return log;
}

} // namespace

void releaseCallLog()
{
    CallLog &log = callLog();
    log.recordset.reset();
    log.connection.reset();
}

namespace {

// The shared open steps; the open's own failure comes back instead of being thrown.
std::optional<Failure> openRecordset(const QString &source,
                                     std::unique_ptr<db::Recordset> &recordset,
                                     short maxRecords, int options, int lockType)
{
    if (!recordset)
        recordset = std::make_unique<db::Recordset>();
    if (recordset->State() == 1)
        recordset->Close();
    recordset->setMaxRecords(maxRecords);
    try {
        recordset->Open(source, connection(), 0, lockType, options);
    } catch (const Failure &failure) {
        return failure;
    }
    return std::nullopt;
}

} // namespace

db::Connection &connection()
{
    CallLog &log = callLog();
    if (!log.connection)
        log.connection = std::make_unique<db::Connection>(log.driverManager);
    return *log.connection;
}

void releaseConnection()
{
    callLog().connection.reset();
}

void adoptConnection(std::unique_ptr<db::Connection> connection)
{
    CallLog &log = callLog();
    log.recordset.reset();
    log.connection = std::move(connection);
}

std::unique_ptr<db::Connection> newConnection()
{
    return std::make_unique<db::Connection>(callLog().driverManager);
}

void setDriverManager(const QString &library)
{
    callLog().driverManager = library;
}

std::unique_ptr<db::Recordset> &recordsetVariable()
{
    return callLog().recordset;
}

db::Recordset &recordset()
{
    std::unique_ptr<db::Recordset> &variable = recordsetVariable();
    if (!variable)
        variable = std::make_unique<db::Recordset>();
    return *variable;
}

void OpenRecordset(const QString &source, std::unique_ptr<db::Recordset> &recordset,
                   short maxRecords, int options, int lockType)
{
    QString &absorbed = callLog().lastOpenFailure;
    absorbed.clear();
    if (std::optional<Failure> failure = openRecordset(source, recordset, maxRecords, options, lockType))
        absorbed = failure->description();
}

QString lastOpenFailure()
{
    return callLog().lastOpenFailure;
}

StoreOutcome AddCallRecord(const QString &dateTime, const QString &number)
{
    try {
        if (connection().State() == 0)
            return {StoreOutcome::LogClosed, {}};
    } catch (const Failure &failure) {
        return {StoreOutcome::Failed, failure.description()};
    }

    // The first failure is the one worth telling: once the table cannot be opened every
    // later step fails only because the recordset is closed.
    std::optional<Failure> first;
    auto step = [&first](auto &&work) {
        try {
            work();
            return true;
        } catch (const Failure &failure) {
            if (!first)
                first = failure;
            return false;
        }
    };

    std::unique_ptr<db::Recordset> &shared = recordsetVariable();
    step([&] {
        if (std::optional<Failure> openFailure =
                openRecordset(QStringLiteral("IDList"), shared, 0, db::Recordset::CmdTable,
                              db::Recordset::LockOptimistic))
            throw *openFailure;
    });
    const bool started = step([&] { shared->AddNew(); });
    const bool dated = step([&] { shared->Fields(0).setValue(dateTime); });
    step([&] { shared->Fields(1).setValue(number); });
    if (dated) {
        step([&] { shared->Update(); });
    } else if (started) {
        step([&] { shared->CancelUpdate(); });
    }

    if (first)
        return {StoreOutcome::Failed, first->description()};
    return {StoreOutcome::Stored, {}};
}

void CreateCallLogTable(db::Connection &connection, bool withNameColumn)
{
    // Unquoted names: "IDList" and the day query's "idlist" fold to one table everywhere.
    connection.Execute(withNameColumn ? QStringLiteral("CREATE TABLE IF NOT EXISTS IDList "
                                                       "(datetime DOUBLE PRECISION, number TEXT, "
                                                       "name TEXT)")
                                      : QStringLiteral("CREATE TABLE IF NOT EXISTS IDList "
                                                       "(datetime DOUBLE PRECISION, number TEXT)"));
    connection.Execute(
        QStringLiteral("CREATE INDEX IF NOT EXISTS IDList_datetime ON IDList (datetime)"));
}

bool AddNameColumn(db::Connection &connection)
{
    // Asked of the table itself: SQLite knows no ADD COLUMN IF NOT EXISTS.
    {
        db::Recordset table;
        table.Open(QStringLiteral("IDList"), connection, 0, db::Recordset::LockOptimistic,
                   db::Recordset::CmdTable);
        if (NameColumn(table) >= 0)
            return false;
    }
    connection.Execute(QStringLiteral("ALTER TABLE IDList ADD COLUMN name TEXT"));
    return true;
}

int NameColumn(db::Recordset &recordset)
{
    for (int i = 2; i < recordset.FieldCount(); ++i) {
        const QString column = recordset.Fields(short(i)).Name();
        if (column.compare(QLatin1String("name"), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QStringList strParity;

void InitParityLetters()
{
    strParity = {QStringLiteral("N"), QStringLiteral("O"), QStringLiteral("E"), QStringLiteral("M"),
                 QStringLiteral("S")};
}

} // namespace TAPI
