// Data sources as unixODBC's configuration files define them, read the way it reads them.

#include "Database.h"

#include <QDir>
#include <QFile>

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

QString userIni()
{
    const QString fromEnv = qEnvironmentVariable("ODBCINI");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // unixODBC takes the home folder from the password database, not from HOME.
    const passwd *user = getpwuid(getuid());
    const QString home = (user && user->pw_dir && *user->pw_dir) ? QFile::decodeName(user->pw_dir)
                                                                 : QStringLiteral("/home");
    return home + QStringLiteral("/.odbc.ini");
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

} // namespace

DataSourceInfo describeDataSource(const QString &dsn)
{
    DataSourceInfo info;
    if (dsn.isEmpty())
        return info;
    for (const QString &file : {userIni(), systemDir() + QStringLiteral("/odbc.ini")}) {
        const auto entries = readSection(file, dsn);
        if (!entries)
            continue;
        info.defined = true;
        info.configFile = QFileInfo(file).absoluteFilePath();
        info.driver = entry(*entries, "Driver");
        info.database = entry(*entries, "Database");
        break;
    }
    if (info.driver.contains(QLatin1Char('/'))) {
        info.driverLibrary = info.driver;
    } else if (!info.driver.isEmpty()) {
        if (const auto driver = readSection(driverInstIni(), info.driver)) {
            // A 64-bit unixODBC prefers Driver64 where a driver names one.
            info.driverLibrary = entry(*driver, "Driver64");
            if (info.driverLibrary.isEmpty())
                info.driverLibrary = entry(*driver, "Driver");
        }
    }
    return info;
}

QString dataSourceName(const QString &connectionString)
{
    const QString text = connectionString.trimmed();
    if (!text.contains(QLatin1Char('=')))
        return text.section(QLatin1Char(';'), 0, 0).trimmed();
    for (const QString &part : text.split(QLatin1Char(';'))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals > 0 &&
            part.left(equals).trimmed().compare(QLatin1String("DSN"), Qt::CaseInsensitive) == 0)
            return part.mid(equals + 1).trimmed();
    }
    return {};
}

} // namespace db
