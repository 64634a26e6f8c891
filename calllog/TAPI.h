#pragma once

#include "failure/Result.h"
#include "platform/Database.h"

#include <QString>
#include <QStringList>

#include <memory>

// The process-wide call log: one connection and one recordset, each created the moment
// something first touches it, and the two routines that work on them.
namespace TAPI {

// The call-log connection; a new one starts closed. Start-up sets it up and opens it.
db::Connection &connection();
// Drops the connection (start-up does this after a 3706); the next use makes a new one.
void releaseConnection();
// A connection opened elsewhere (on another thread, so the window need not wait for it)
// takes the place of the call-log connection; the shared recordset goes with the old one.
void adoptConnection(std::unique_ptr<db::Connection> connection);
// A new connection, not yet opened, as connection() would make it.
std::unique_ptr<db::Connection> newConnection();
// What the program opens its call-log connections with.
inline QString callLogSource()
{
    return QStringLiteral("DSN=CallerID;ODBC;");
}
// Closes the recordset, then the connection, as the program ends: the drivers must be
// left while the process is still whole, not from static teardown.
void releaseCallLog();
// The ODBC driver manager library new connections load (tests name a missing one to
// reach 3706).
void setDriverManager(const QString &library);

// The shared recordset variable and, through it, the recordset itself.
std::unique_ptr<db::Recordset> &recordsetVariable();
db::Recordset &recordset();

// (Re)opens recordset on source over the call-log connection, forward-only. A failure of
// the open itself is absorbed (the recordset stays closed) and given back for whoever
// wants the driver's words; earlier steps throw theirs.
Result<void> OpenRecordset(const QString &source, std::unique_ptr<db::Recordset> &recordset,
                           short maxRecords, db::CommandOption options, db::LockType lockType);

enum class Store { Stored, LogClosed };

// Appends one call through the call log. Never throws; a stamp that is no date and time
// is refused rather than stored half-filled. LogClosed (the call log is off) is meant to
// be silent; a failure should reach the user.
Result<Store> AddCallRecord(const QString &dateTime, const QString &number);

// The parity letters by the serial settings' parity code: N, O, E, M, S.
extern QStringList strParity;
void InitParityLetters();

} // namespace TAPI
