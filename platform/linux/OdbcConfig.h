#pragma once

#include <QString>

#include <optional>

// Reading connection strings and unixODBC's configuration, for the layer itself.
namespace db::odbc {

// The value of keyword in a connection string (case ignored, braces removed); nullopt
// when the string does not give it.
std::optional<QString> connectionKeyword(const QString &connectionString, const QString &keyword);

// The driver library a connection string leads to, through its DSN or its Driver keyword;
// empty when the configuration does not say.
QString driverLibraryFor(const QString &connectionString);
// Whether a driver library is the SQLite one, which times statements by its busy timeout
// and keeps the data source in a file.
bool isSqliteDriver(const QString &library);

} // namespace db::odbc
