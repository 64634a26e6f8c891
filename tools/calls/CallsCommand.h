#pragma once

#include "tools/calls/CallsFormat.h"
#include "tools/calls/CallsQuery.h"

#include <QDate>
#include <QString>
#include <QStringList>

class Failure;

// ringvane-calls without its input and output: what the arguments ask for, and what a
// failure of the data source means for the user and the exit status.
namespace calls {

inline const QString DefaultDataSource = QStringLiteral("CallerID");

// SQL_MAX_DSN_LENGTH: no data source name is longer.
inline constexpr qsizetype MaxDataSourceNameLength = 32;

// Longer than anything the program stores as a number.
inline constexpr qsizetype MaxPatternLength = 4096;

enum ExitCode {
    ExitOk = 0,
    ExitUsage = 1,        // a wrong option, date or format
    ExitNoDataSource = 2, // no such ODBC data source
    ExitUnreachable = 3,  // the server or the file cannot be reached, or did not answer
    ExitNoTable = 4,      // the data source holds no call log table
    ExitDatabase = 5,     // any other failure the data source reported
    ExitNoOdbc = 6,       // the ODBC driver manager is not installed
    ExitOutput = 7,       // the output could not be written
};

struct Options
{
    bool help = false;
    Selection selection;
    Format format = Format::Text;
    QString dataSource = DefaultDataSource;
};

struct ParsedOptions
{
    Options options;
    QString error; // empty when the arguments were sound
};

// Whether a --dsn value names a data source: none of the characters ODBC does not allow
// in one (';' and braces would also let it add keywords of its own to the connection
// string).
bool isDataSourceName(const QString &name);

// arguments as main() has them, program name first; no range means today.
ParsedOptions parseOptions(const QStringList &arguments, const QDate &today);

// The data source with what makes both drivers hand over rows as they are read rather
// than the whole result at once (the SQLite driver and psqlODBC each ignore the other's
// keyword).
QString connectionString(const QString &dataSource);

// Staged for the SQLite driver, Direct for the others (see Binding).
Binding bindingFor(const QString &dataSource);

// A closed standard descriptor would be taken by the next file opened, such as the call
// log's, and the output written into it: /dev/null holds its place. false when standard
// output was closed.
bool holdStandardDescriptors();

struct FailureReport
{
    ExitCode exitCode;
    QString message;
};
// queryTimeout: the time limit the connection had, in seconds, for the message.
FailureReport reportFor(const Failure &failure, const QString &dataSource, int queryTimeout);

} // namespace calls
