#include "calllog/TAPI.h"

#include "calllog/CallLog.h"
#include "failure/Failure.h"
#include "locale/DateServices.h"

#include <QCoreApplication>

#include <optional>

namespace TAPI {

namespace {

struct Shared
{
    QString driverManager = QString::fromLatin1(db::DefaultDriverManager);
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Recordset> recordset;
};

Shared &callLog()
{
    static Shared log;
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
    Shared &log = callLog();
    log.recordset.reset();
    log.connection.reset();
}

namespace {

// The shared open steps; the open's own failure comes back instead of being thrown.
Result<void> openRecordset(const QString &source, std::unique_ptr<db::Recordset> &recordset,
                           short maxRecords, db::CommandOption options, db::LockType lockType)
{
    if (!recordset)
        recordset = std::make_unique<db::Recordset>();
    if (recordset->State() == db::adStateOpen)
        recordset->Close();
    recordset->setMaxRecords(maxRecords);
    return tryResult([&] {
        recordset->Open(source, connection(), db::CursorType::ForwardOnly, lockType, options);
    });
}

} // namespace

db::Connection &connection()
{
    Shared &log = callLog();
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
    Shared &log = callLog();
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

Result<void> OpenRecordset(const QString &source, std::unique_ptr<db::Recordset> &recordset,
                           short maxRecords, db::CommandOption options, db::LockType lockType)
{
    return openRecordset(source, recordset, maxRecords, options, lockType);
}

Result<Store> AddCallRecord(const QString &dateTime, const QString &number)
{
    const Result<int> state = tryResult([] { return connection().State(); });
    if (!state)
        return state.failure();
    if (*state == db::adStateClosed)
        return Store::LogClosed;
    // The shared recordset is left open on the table, as the handlers expect of it.
    Result<void> opened;
    try {
        opened = openRecordset(QStringLiteral("IDList"), recordsetVariable(), 0,
                               db::CommandOption::Table, db::LockType::Optimistic);
    } catch (const Failure &failure) {
        return failure;
    }
    if (!opened)
        return opened.failure();
    const std::optional<QDateTime> when = dates::parseCallStamp(dateTime);
    if (!when)
        return Failure(0, QCoreApplication::translate(
                              "TAPI", "Could not convert the text to a date and time."));
    const Result<void> appended = ::CallLog(connection()).append({Call{*when, number, {}}});
    if (!appended)
        return appended.failure();
    return Store::Stored;
}

QStringList strParity;

void InitParityLetters()
{
    strParity = {QStringLiteral("N"), QStringLiteral("O"), QStringLiteral("E"), QStringLiteral("M"),
                 QStringLiteral("S")};
}

} // namespace TAPI
