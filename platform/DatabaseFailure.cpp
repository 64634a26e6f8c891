// Which failures mean the data source is gone for now rather than refusing a statement.

#include "platform/Database.h"

#include "failure/Failure.h"

#include <algorithm>
#include <iterator>

namespace db {

namespace {

// SQLSTATEs, or their two-character class, that say the data source cannot be reached or
// used right now, whatever the driver.
const char *const kGoneStates[] = {
    "08",    // connection exception: not made, lost, refused
    "HYT00", // the query time limit ran out
    "HYT01", // the connection time limit ran out
    "57014", // PostgreSQL: a statement cancelled, by its time limit among others
    "57P01", // PostgreSQL: the server is shutting down (administrator)
    "57P02", // PostgreSQL: the server is shutting down (crash of another process)
    "57P03", // PostgreSQL: the server is starting up or not accepting connections
};

// The SQLite driver reports SQLite's own failures as HY000 with SQLite's result code as
// the native error; these codes concern the file, not the statement.
const int kSqliteGoneCodes[] = {
    5,  // SQLITE_BUSY: locked by another process beyond the busy time limit
    6,  // SQLITE_LOCKED
    8,  // SQLITE_READONLY: the file cannot be written
    10, // SQLITE_IOERR
    11, // SQLITE_CORRUPT: the file cannot be read as a database
    13, // SQLITE_FULL: the disk is full
    14, // SQLITE_CANTOPEN: the file or its folder is missing or unreadable
    26, // SQLITE_NOTADB
};

} // namespace

FailureKind failureKind(const QString &sqlState, int nativeError, const QString &source)
{
    for (const char *gone : kGoneStates) {
        if (sqlState.startsWith(QLatin1String(gone)))
            return FailureKind::ConnectionGone;
    }
    // Extended result codes carry the primary code in their low byte.
    if (source == QLatin1String("SQLite") && sqlState == QLatin1String("HY000") &&
        std::find(std::begin(kSqliteGoneCodes), std::end(kSqliteGoneCodes), nativeError & 0xff) !=
            std::end(kSqliteGoneCodes))
        return FailureKind::ConnectionGone;
    return FailureKind::Refused;
}

FailureKind failureKind(const Failure &failure)
{
    return failureKind(failure.sqlState(), failure.nativeError(), failure.source());
}

} // namespace db
