#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>

#include <functional>
#include <stdexcept>

// What several benchmarks need to set up a private unixODBC configuration and a large call
// log: the installed SQLite ODBC driver, whole files written at once, the sqlite3 shell.
namespace bench {

inline QString sqliteDriverPath()
{
    for (const char *dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                            "/usr/lib/odbc", "/usr/lib64", "/usr/lib"}) {
        const QString path = QString::fromLatin1(dir) + QStringLiteral("/libsqlite3odbc.so");
        if (QFile::exists(path))
            return path;
    }
    throw std::runtime_error("the SQLite ODBC driver (libsqliteodbc) is not installed");
}

// Points the ODBC configuration, the XDG folders and the registry file into dir, as a user
// of their own: before their first use, since each is read once per process.
inline void usePrivateFolders(const QString &dir)
{
    const auto inDir = [&dir](const char *name) {
        return QFile::encodeName(dir + u'/' + QLatin1String(name));
    };
    qputenv("ODBCINI", inDir("odbc.ini"));
    qputenv("XDG_DATA_HOME", inDir("data"));
    qputenv("XDG_STATE_HOME", inDir("state"));
    qputenv("XDG_CONFIG_HOME", inDir("config"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
    qputenv("RINGVANE_REGISTRY", inDir("registry.reg"));
}

inline void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// Runs a script through the sqlite3 shell (far faster than ODBC for a million rows) and
// returns what it printed.
inline QByteArray runSqliteShell(const QString &file, const QByteArray &script)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {file});
    if (!shell.waitForStarted())
        throw std::runtime_error("the sqlite3 shell is not installed");
    shell.write(script);
    shell.closeWriteChannel();
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0)
        throw std::runtime_error("sqlite3 could not fill the log: " +
                                 shell.readAllStandardError().toStdString());
    return shell.readAllStandardOutput();
}

// Runs the event loop until the condition holds; false when the time ran out first.
inline bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

} // namespace bench
