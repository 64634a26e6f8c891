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
    QString lastOpenFailure;
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
std::optional<Failure> openRecordset(const QString &source,
                                     std::unique_ptr<db::Recordset> &recordset,
                                     short maxRecords, db::CommandOption options,
                                     db::LockType lockType)
{
    if (!recordset)
        recordset = std::make_unique<db::Recordset>();
    if (recordset->State() == db::adStateOpen)
        recordset->Close();
    recordset->setMaxRecords(maxRecords);
    try {
        recordset->Open(source, connection(), db::CursorType::ForwardOnly, lockType, options);
    } catch (const Failure &failure) {
        return failure;
    }
    return std::nullopt;
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

void OpenRecordset(const QString &source, std::unique_ptr<db::Recordset> &recordset,
                   short maxRecords, db::CommandOption options, db::LockType lockType)
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
    const Result<int> state = tryResult([] { return connection().State(); });
    if (!state)
        return {StoreOutcome::Failed, state.errorString()};
    if (*state == db::adStateClosed)
        return {StoreOutcome::LogClosed, {}};
    // The shared recordset is left open on the table, as the handlers expect of it.
    if (std::optional<Failure> failure =
            openRecordset(QStringLiteral("IDList"), recordsetVariable(), 0,
                          db::CommandOption::Table, db::LockType::Optimistic))
        return {StoreOutcome::Failed, failure->description()};
    const std::optional<QDateTime> when = dates::parseCallStamp(dateTime);
    if (!when)
        return {StoreOutcome::Failed,
                QStringLiteral("Could not convert the text to a date and time.")};
    const Result<void> appended = ::CallLog(connection()).append({Call{*when, number, {}}});
    if (!appended)
        return {StoreOutcome::Failed, appended.errorString()};
    return {StoreOutcome::Stored, {}};
}

QStringList strParity;

void InitParityLetters()
{
    strParity = {QStringLiteral("N"), QStringLiteral("O"), QStringLiteral("E"), QStringLiteral("M"),
                 QStringLiteral("S")};
}

} // namespace TAPI
