// ringvane-setup-calllog: prepares the call log the program writes to, the table IDList of
// the ODBC data source "CallerID". Safe to run again: it never touches existing rows.

#include "tools/calllog-setup/OdbcIni.h"
#include "calllog/CallLog.h"
#include "calllog/TAPI.h"
#include "platform/XdgFolders.h"

#include "failure/Failure.h"
#include "failure/Result.h"
#include "translations/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

const QString kDataSource = QStringLiteral("CallerID");

enum ExitCode {
    ExitOk = 0,
    ExitUsage = 1,
    ExitFiles = 2,
    ExitDatabase = 3,
    ExitNoOdbc = 4,
};

const char *const kUsage =
    QT_TRANSLATE_NOOP("ringvane-setup-calllog",
                      R"(Usage: ringvane-setup-calllog [--add-columns] [--add-name-column] [--help]

Prepares Ringvane's call log: the table IDList (with an index on its datetime column)
in the ODBC data source "CallerID". A new table has four columns: datetime, number,
name (the caller's name, where the line sends one) and action ("blocked" for a call
Ringvane hung up on). Beside it, the table Phonebook (number, name, mark) holds your
own names for callers (see ringvane-contacts).

When no data source "CallerID" exists yet, it adds one to your ODBC file ($ODBCINI, or
~/.odbc.ini when ODBCINI is not set), keeping every other entry of that file. It uses the
SQLite ODBC driver and the file $XDG_DATA_HOME/ringvane/calllog.db (by default
~/.local/share/ringvane/calllog.db), written with a write-ahead journal and full sync.
The file must then stay where it is: if it goes missing, Ringvane reports the call log
as unavailable instead of starting a new, empty one. Run this command again to make a
new, empty file there; Ringvane then stores the calls that waited meanwhile.

When "CallerID" already exists (yours, or the system's in /etc/odbc.ini), it is left as
it is, and only the tables and the index are created where they are missing (and, for a
SQLite data source, its file). Existing rows are never changed.

  --add-columns      adds the columns name and action to an existing table, each
                     where it is missing; Ringvane stores names and hung-up calls
                     there from its next connection. Programs that insert into the
                     table by position must name their columns once it has more.
  --add-name-column  adds only the column name, where it is missing.

To keep the call log in PostgreSQL, define "CallerID" before running this command, for
example in ~/.odbc.ini:

    [CallerID]
    Driver=PostgreSQL Unicode
    Servername=localhost
    Port=5432
    Database=ringvane
    Username=ringvane
    pqopt=connect_timeout=5

The pqopt line gives up on an unreachable server after 5 seconds, so that Ringvane does
not hang at start-up waiting for it.

Exit status: 0 done, 1 wrong arguments, 2 a file could not be written, 3 the data source
could not be opened or the table not created, 4 the ODBC support is not installed.
)");

const QString kAddColumns = QStringLiteral("--add-columns");
const QString kAddNameColumn = QStringLiteral("--add-name-column");

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString dataDirectory()
{
    return xdgBaseFolder("XDG_DATA_HOME", ".local/share") + QStringLiteral("/ringvane");
}

bool readText(const QString &path, QString &text)
{
    QFile file(path);
    if (!file.exists()) {
        text.clear();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = QString::fromUtf8(file.readAll());
    return true;
}

// The driver is told never to create the file, so it is made here (empty is a valid
// SQLite database). An existing file is kept with its rows. false after a message.
bool createCallLogFile(const QString &dbPath)
{
    if (QFileInfo::exists(dbPath))
        return true;
    QFile db(dbPath);
    if (!db.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        err() << QCoreApplication::translate("ringvane-setup-calllog",
                                             "Could not create the call log file %1: %2.")
                     .arg(dbPath, db.errorString())
              << '\n';
        return false;
    }
    db.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

// Creates the data file and the data source section; false after a message.
bool addDataSource(const QString &iniPath, const QString &iniText)
{
    const QString dir = dataDirectory();
    if (!QDir().mkpath(dir)) {
        err() << QCoreApplication::translate("ringvane-setup-calllog",
                                             "Could not create the folder %1.")
                     .arg(dir)
              << '\n';
        return false;
    }
    const QString dbPath = dir + QStringLiteral("/calllog.db");
    if (!createCallLogFile(dbPath))
        return false;

    const QString text = odbcini::withSection(
        iniText, kDataSource,
        {
            {QStringLiteral("Description"), QStringLiteral("Ringvane call log")},
            {QStringLiteral("Driver"), QStringLiteral("SQLite3")},
            {QStringLiteral("Database"), dbPath},
            {QStringLiteral("JournalMode"), QStringLiteral("WAL")},
            {QStringLiteral("SyncPragma"), QStringLiteral("FULL")},
            {QStringLiteral("NoCreat"), QStringLiteral("1")},
            {QStringLiteral("Timeout"), QStringLiteral("2000")},
        });

    const QFileInfo iniInfo(iniPath);
    QDir().mkpath(iniInfo.absolutePath());
    const bool existed = iniInfo.exists();
    const QFileDevice::Permissions permissions = existed
        ? QFile::permissions(iniPath)
        : QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QSaveFile file(iniPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        err() << QCoreApplication::translate("ringvane-setup-calllog", "Could not write %1: %2.")
                     .arg(iniPath, file.errorString())
              << '\n';
        return false;
    }
    QFile::setPermissions(iniPath, permissions);
    out() << QCoreApplication::translate("ringvane-setup-calllog",
                                         "Added the data source CallerID to %1; the call log is "
                                         "kept in %2.")
                 .arg(iniPath, dbPath)
          << '\n';
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    translations::installTranslations();
    QStringList args = app.arguments().mid(1);
    if (args == QStringList{QStringLiteral("--help")} || args == QStringList{QStringLiteral("-h")}) {
        out() << QCoreApplication::translate("ringvane-setup-calllog", kUsage);
        return ExitOk;
    }
    const bool addColumns = args.removeAll(kAddColumns) > 0;
    const bool addNameColumn = args.removeAll(kAddNameColumn) > 0;
    if (!args.isEmpty()) {
        err() << QCoreApplication::translate("ringvane-setup-calllog", "Unknown argument: %1")
                     .arg(args.first())
              << "\n\n"
              << QCoreApplication::translate("ringvane-setup-calllog", kUsage);
        return ExitUsage;
    }

    const QString userIni = db::userDataSourceFile();
    QString userText;
    QString systemText;
    if (!readText(userIni, userText)) {
        err() << QCoreApplication::translate("ringvane-setup-calllog", "Could not read %1.")
                     .arg(userIni)
              << '\n';
        return ExitFiles;
    }
    readText(db::systemDataSourceFile(), systemText); // unreadable: treated as not defining it

    if (odbcini::hasSection(userText, kDataSource) || odbcini::hasSection(systemText, kDataSource)) {
        out() << QCoreApplication::translate(
                     "ringvane-setup-calllog",
                     "The data source CallerID already exists; it is left as it is.")
              << '\n';
        // A SQLite file deleted under it is made anew, empty, where the entry says; the
        // entry itself, and a file that is there, stay as they are.
        const QString dbPath = db::sqliteDatabaseFile(TAPI::callLogSource());
        if (!dbPath.isEmpty() && !QFileInfo::exists(dbPath)) {
            if (!createCallLogFile(dbPath))
                return ExitFiles;
            out() << QCoreApplication::translate("ringvane-setup-calllog",
                                                 "The call log file %1 was missing; it was made "
                                                 "anew.")
                         .arg(dbPath)
                  << '\n';
        }
    } else if (!addDataSource(userIni, userText)) {
        return ExitFiles;
    }
    out().flush();

    QStringList added;
    CallLog::Columns columns;
    db::Connection connection;
    Result<void> prepared = tryResult([&] { connection.Open(TAPI::callLogSource(), {}, {}, -1); });
    if (prepared)
        prepared = CallLog::create(connection, CallLog::Layout::Current);
    if (prepared)
        prepared = CallLog::createPhonebook(connection);
    if (prepared && addColumns) {
        const Result<QStringList> done = CallLog::addColumns(connection);
        if (done)
            added = *done;
        else
            prepared = done.failure();
    } else if (prepared && addNameColumn) {
        const Result<bool> done = CallLog::addNameColumn(connection);
        if (!done)
            prepared = done.failure();
        else if (*done)
            added << QStringLiteral("name");
    }
    if (prepared) {
        const Result<CallLog::Columns> found = CallLog(connection).columns();
        if (found)
            columns = *found;
        else
            prepared = found.failure();
    }
    // The connection that altered the table may still see it as it was.
    columns.withName = columns.withName || added.contains(QStringLiteral("name"));
    columns.withAction = columns.withAction || added.contains(QStringLiteral("action"));
    if (!prepared) {
        const Failure &failure = prepared.failure();
        if (failure.number() == ErrorNumber::ProviderNotFound) {
            err() << QCoreApplication::translate(
                         "ringvane-setup-calllog",
                         "The ODBC support is not installed (package unixodbc).")
                  << '\n';
            return ExitNoOdbc;
        }
        err() << QCoreApplication::translate(
                     "ringvane-setup-calllog",
                     "Could not prepare the call log in the data source CallerID: %1")
                     .arg(failure.description())
              << '\n';
        return ExitDatabase;
    }
    for (const QString &column : std::as_const(added))
        out() << QCoreApplication::translate("ringvane-setup-calllog",
                                             "Added the column %1 to the call log table IDList.")
                     .arg(column)
              << '\n';
    out() << QCoreApplication::translate(
                 "ringvane-setup-calllog",
                 "The call log table IDList and the table Phonebook are ready.")
          << '\n';
    QString missing;
    if (!columns.withName && !columns.withAction)
        missing = QCoreApplication::translate(
            "ringvane-setup-calllog",
            "It has no column for callers' names or for hung-up calls; %1 adds what is missing "
            "(programs that insert into it by position must then name their columns).");
    else if (!columns.withName)
        missing = QCoreApplication::translate(
            "ringvane-setup-calllog",
            "It has no column for callers' names; %1 adds what is missing (programs that insert "
            "into it by position must then name their columns).");
    else if (!columns.withAction)
        missing = QCoreApplication::translate(
            "ringvane-setup-calllog",
            "It has no column for hung-up calls; %1 adds what is missing (programs that insert "
            "into it by position must then name their columns).");
    if (!missing.isEmpty())
        out() << missing.arg(kAddColumns) << '\n';
    return ExitOk;
}
