// Data sources as unixODBC's configuration files define them, read the way it reads them.

#include "platform/linux/OdbcConfig.h"

#include "platform/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

#include <optional>

namespace db {

namespace {

// The entries of one [section] of an ini file; section and key names match without regard
// to case, as unixODBC matches them.
std::optional<QList<QPair<QString, QString>>> readSection(const QString &path,
                                                          const QString &section)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    std::optional<QList<QPair<QString, QString>>> entries;
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (inSection)
                break;
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                entries.emplace();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inSection && equals > 0)
            entries->append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return entries;
}

QString entry(const QList<QPair<QString, QString>> &entries, const char *key)
{
    for (const auto &[name, value] : entries) {
        if (name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString systemDir()
{
    const QString dir = qEnvironmentVariable("ODBCSYSINI");
    return dir.isEmpty() ? QStringLiteral("/etc") : dir;
}

QString driverInstIni()
{
    const QString name = qEnvironmentVariable("ODBCINSTINI");
    return systemDir() + QLatin1Char('/') +
           (name.isEmpty() ? QStringLiteral("odbcinst.ini") : name);
}

// The library of a driver named in odbcinst.ini, or the entry itself when it is a path.
QString driverLibrary(const QString &driver)
{
    if (driver.contains(QLatin1Char('/')))
        return driver;
    if (driver.isEmpty())
        return {};
    const auto entries = readSection(driverInstIni(), driver);
    if (!entries)
        return {};
    // A 64-bit unixODBC prefers Driver64 where a driver names one.
    const QString driver64 = entry(*entries, "Driver64");
    return driver64.isEmpty() ? entry(*entries, "Driver") : driver64;
}

} // namespace

QString userDataSourceFile()
{
    const QString fromEnv = qEnvironmentVariable("ODBCINI");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // unixODBC takes the home folder from the password database, not from HOME.
    const passwd *user = getpwuid(getuid());
    const QString home = (user && user->pw_dir && *user->pw_dir) ? QFile::decodeName(user->pw_dir)
                                                                 : QDir::homePath();
    return home + QStringLiteral("/.odbc.ini");
}

QString systemDataSourceFile()
{
    return systemDir() + QStringLiteral("/odbc.ini");
}

QString sqliteDatabaseFile(const QString &connectionString)
{
    if (!odbc::isSqliteDriver(odbc::driverLibraryFor(connectionString)))
        return {};
    const QString database =
        odbc::connectionKeyword(connectionString, QStringLiteral("Database"))
            .value_or(describeDataSource(dataSourceName(connectionString)).database);
    return database.isEmpty() ? QString() : QFileInfo(database).absoluteFilePath();
}

DataSourceInfo describeDataSource(const QString &dsn)
{
    DataSourceInfo info;
    if (dsn.isEmpty())
        return info;
    for (const QString &file : {userDataSourceFile(), systemDataSourceFile()}) {
        const auto entries = readSection(file, dsn);
        if (!entries)
            continue;
        info.defined = true;
        info.configFile = QFileInfo(file).absoluteFilePath();
        info.driver = entry(*entries, "Driver");
        info.database = entry(*entries, "Database");
        break;
    }
    info.driverLibrary = driverLibrary(info.driver);
    return info;
}

QString dataSourceName(const QString &connectionString)
{
    const QString text = connectionString.trimmed();
    if (!text.contains(QLatin1Char('=')))
        return text.section(QLatin1Char(';'), 0, 0).trimmed();
    return odbc::connectionKeyword(text, QStringLiteral("DSN")).value_or(QString());
}

namespace odbc {

std::optional<QString> connectionKeyword(const QString &connectionString, const QString &keyword)
{
    for (const QString &part : connectionString.split(QLatin1Char(';'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals <= 0 || part.left(equals).trimmed().compare(keyword, Qt::CaseInsensitive) != 0)
            continue;
        QString value = part.mid(equals + 1).trimmed();
        if (value.startsWith(QLatin1Char('{')) && value.endsWith(QLatin1Char('}')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}

QString driverLibraryFor(const QString &connectionString)
{
    if (const std::optional<QString> driver =
            connectionKeyword(connectionString, QStringLiteral("Driver")))
        return driverLibrary(*driver);
    return describeDataSource(dataSourceName(connectionString)).driverLibrary;
}

bool isSqliteDriver(const QString &library)
{
    return QFileInfo(library).fileName().contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
}

} // namespace odbc

} // namespace db
