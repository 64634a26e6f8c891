#include "OdbcIni.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace odbcini {

QString userIniPath()
{
    const QString fromEnv = qEnvironmentVariable("ODBCINI");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // unixODBC takes the home folder from the password database, not from HOME.
    const passwd *entry = getpwuid(getuid());
    const QString home = (entry && entry->pw_dir && *entry->pw_dir)
                             ? QString::fromLocal8Bit(entry->pw_dir)
                             : QDir::homePath();
    return home + QStringLiteral("/.odbc.ini");
}

QString systemIniPath()
{
    const QString dir = qEnvironmentVariable("ODBCSYSINI");
    return (dir.isEmpty() ? QStringLiteral("/etc") : dir) + QStringLiteral("/odbc.ini");
}

bool hasSection(const QString &iniText, const QString &section)
{
    const QStringList lines = iniText.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) &&
            line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString withSection(const QString &iniText, const QString &section,
                    const QList<QPair<QString, QString>> &entries)
{
    QString text = iniText;
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    text += QLatin1Char('[') + section + QStringLiteral("]\n");
    for (const auto &[key, value] : entries)
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    return text;
}

} // namespace odbcini
