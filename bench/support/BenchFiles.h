#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <stdexcept>

// What several benchmarks need to set up a private unixODBC configuration: the installed
// SQLite ODBC driver and whole files written at once.
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

inline void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace bench
