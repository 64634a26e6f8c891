#pragma once

#include "platform/Database.h"

#include <QString>
#include <QTemporaryDir>

// A private unixODBC configuration for one test process. unixODBC reads ODBCINI and
// ODBCSYSINI once per process, so they are set once, before the first ODBC call, and the
// data source "CallerID" stays the same for the whole process: tests reset its contents.
class OdbcSandbox
{
public:
    enum Backend { Sqlite, Postgres };

    static OdbcSandbox &instance();

    Backend backend() const { return m_backend; }
    QString dir() const { return m_dir.path(); }
    // The odbcinst.ini folder, for child processes that need the same drivers.
    QString systemDir() const { return m_dir.path(); }
    QString userIni() const { return m_dir.path() + QStringLiteral("/user/odbc.ini"); }
    // The SQLite file behind "CallerID" (Sqlite backend).
    QString sqliteFile() const { return m_dir.path() + QStringLiteral("/calllog.db"); }
    QString sqliteDriver() const { return m_sqliteDriver; }

    // Empties "CallerID" and creates the call-log table in it.
    void resetCallLog();
    // Replaces the table by one whose existing rows fail any read, but takes new rows.
    void armReadTrap(int oldRows);
    // Rows that reached the trapped table since armReadTrap.
    int trappedAppends();
    int rowCount();

    // An open connection of its own on "CallerID", for arranging and checking.
    db::Connection &admin();

private:
    OdbcSandbox();
    void writeConfig();

    Backend m_backend;
    QTemporaryDir m_dir;
    QString m_sqliteDriver;
    QString m_schema;
    std::unique_ptr<db::Connection> m_admin;
};

// Runs a query on a connection and gives all rows, each a list of field values.
QList<QVariantList> queryRows(db::Connection &connection, const QString &sql);
