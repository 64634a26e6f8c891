#include "tests/calllog/OdbcSandbox.h"

#include "calllog/CallLog.h"
#include "calllog/TAPI.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>


#ifndef RINGVANE_PG_STATE_FILE
#define RINGVANE_PG_STATE_FILE "" // the SQLite-only build has no server of its own
#endif

namespace {

QString findDriver(const QString &fileName)
{
    QStringList dirs{QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"),
                     QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc"),
                     QStringLiteral("/usr/lib/odbc"), QStringLiteral("/usr/lib64"),
                     QStringLiteral("/usr/lib")};
    for (const QString &dir : dirs) {
        if (QFile::exists(dir + QLatin1Char('/') + fileName))
            return dir + QLatin1Char('/') + fileName;
    }
    return fileName;
}

void writeFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// The throwaway server: the one the ctest fixture started, else one of our own that goes
// when the process ends.
struct PgServer
{
    QString host;
    QString port;
    QString ownState;

    ~PgServer()
    {
        // Static teardown runs after the application object is gone: no QProcess here.
        if (!ownState.isEmpty()) {
            const std::string command = "sh '" RINGVANE_PG_SCRIPT "' stop '" +
                                        ownState.toStdString() + "'";
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "could not stop the throwaway PostgreSQL server\n");
        }
    }

    void locate()
    {
        QString state = qEnvironmentVariable("RINGVANE_PG_STATE", QStringLiteral(RINGVANE_PG_STATE_FILE));
        if (!QFile::exists(state)) {
            // Outside the sandbox folder, which is gone by the time the server stops.
            ownState = QDir::tempPath() +
                       QStringLiteral("/ringvane-pg-%1.state").arg(QCoreApplication::applicationPid());
            if (QProcess::execute(QStringLiteral(RINGVANE_PG_SCRIPT),
                                  {QStringLiteral("start"), ownState}) != 0)
                throw std::runtime_error("the throwaway PostgreSQL server did not start");
            state = ownState;
        }
        QFile file(state);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("no PostgreSQL state file");
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.startsWith("PGHOST="))
                host = QString::fromUtf8(line.mid(7));
            else if (line.startsWith("PGPORT="))
                port = QString::fromUtf8(line.mid(7));
        }
        if (host.isEmpty())
            throw std::runtime_error("the PostgreSQL state file names no server");
    }
};

PgServer &pgServer()
{
    static PgServer server;
    return server;
}

} // namespace

OdbcSandbox &OdbcSandbox::instance()
{
    static OdbcSandbox sandbox;
    static const bool cleanupRegistered = [] {
        qAddPostRoutine([] { sandbox.m_admin.reset(); });
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    return sandbox;
}

OdbcSandbox::OdbcSandbox()
#ifdef RINGVANE_TEST_POSTGRES
    : m_backend(Postgres)
#else
    : m_backend(Sqlite)
#endif
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    m_sqliteDriver = findDriver(QStringLiteral("libsqlite3odbc.so"));
    m_schema = QStringLiteral("rv_%1").arg(QCoreApplication::applicationPid());
    writeConfig();
}

void OdbcSandbox::writeConfig()
{
    const QByteArray dir = m_dir.path().toUtf8();
    writeFile(m_dir.path() + QStringLiteral("/odbcinst.ini"),
              "[SQLite3]\nDriver=" + m_sqliteDriver.toUtf8() +
                  "\n\n[PostgreSQL Unicode]\nDriver=" +
                  findDriver(QStringLiteral("psqlodbcw.so")).toUtf8() + "\n");
    writeFile(m_dir.path() + QStringLiteral("/odbc.ini"), "");

    QByteArray callerId;
    if (m_backend == Sqlite) {
        callerId = "[CallerID]\nDriver=SQLite3\nDatabase=" + dir +
                   "/calllog.db\nNoCreat=1\nJournalMode=WAL\nSyncPragma=FULL\nTimeout=2000\n";
    } else {
        PgServer &server = pgServer();
        server.locate();
        callerId = "[CallerID]\nDriver=PostgreSQL Unicode\nServername=" + server.host.toUtf8() +
                   "\nPort=" + server.port.toUtf8() +
                   "\nDatabase=postgres\nUsername=ringvane\npqopt=connect_timeout=5\n"
                   "ConnSettings=SET search_path TO " + m_schema.toUtf8() + "\n";
    }
    writeFile(userIni(), callerId + "\n[Gone]\nDriver=SQLite3\nDatabase=" + dir +
                             "/gone/missing.db\nNoCreat=1\n\n[BrokenDriver]\nDriver=" + dir +
                             "/no-such-driver.so\n");
    qputenv("ODBCSYSINI", m_dir.path().toUtf8());
    qputenv("ODBCINI", userIni().toUtf8());
}

db::Connection &OdbcSandbox::admin()
{
    if (!m_admin || m_admin->State() == db::adStateClosed) {
        m_admin = std::make_unique<db::Connection>();
        m_admin->Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    }
    return *m_admin;
}

void OdbcSandbox::resetCallLog()
{
    if (m_backend == Sqlite) {
        m_admin.reset();
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(sqliteFile() + QLatin1String(suffix));
        writeFile(sqliteFile(), ""); // the DSN never creates the file itself
    } else {
        admin().Execute(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema));
        admin().Execute(QStringLiteral("CREATE SCHEMA %1").arg(m_schema));
    }
    if (const Result<void> made = CallLog::create(admin()); !made)
        throw made.failure();
}

void OdbcSandbox::armReadTrap(int oldRows)
{
    db::Connection &c = admin();
    c.Execute(QStringLiteral("DROP TABLE IDList"));
    if (m_backend == Sqlite) {
        // abs() of the smallest integer is an error, so reading an old row fails.
        c.Execute(QStringLiteral(
            "CREATE TABLE IDListRows (datetime DOUBLE PRECISION, number TEXT, trap INTEGER)"));
        c.Execute(QStringLiteral("CREATE VIEW IDList AS SELECT datetime, number FROM IDListRows "
                                 "WHERE abs(trap) >= 0"));
        c.Execute(QStringLiteral(
            "CREATE TRIGGER IDListAppend INSTEAD OF INSERT ON IDList BEGIN INSERT INTO "
            "IDListRows VALUES (NEW.datetime, NEW.number, 0); END"));
        for (int i = 0; i < oldRows; ++i)
            c.Execute(QStringLiteral(
                "INSERT INTO IDListRows VALUES (37542.5, 'old', -9223372036854775808)"));
    } else {
        // A division by zero for every old row; the view takes inserts (trap defaults to 1).
        c.Execute(QStringLiteral("CREATE TABLE IDListRows (datetime DOUBLE PRECISION, "
                                 "number TEXT, trap INTEGER DEFAULT 1)"));
        c.Execute(QStringLiteral("CREATE VIEW IDList AS SELECT datetime, number FROM IDListRows "
                                 "WHERE 1 / trap <> 0"));
        c.Execute(QStringLiteral("INSERT INTO IDListRows SELECT 37542.5, 'old', 0 FROM "
                                 "generate_series(1, %1)")
                      .arg(oldRows));
    }
}

int OdbcSandbox::trappedAppends()
{
    return queryRows(admin(), QStringLiteral("SELECT count(*) FROM IDListRows WHERE number <> 'old'"))
        .value(0)
        .value(0)
        .toInt();
}

int OdbcSandbox::rowCount()
{
    return queryRows(admin(), QStringLiteral("select count(*) from idlist")).value(0).value(0).toInt();
}

QList<QVariantList> queryRows(db::Connection &connection, const QString &sql)
{
    db::Recordset rs;
    rs.Open(sql, connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly, db::CommandOption::Text);
    QList<QVariantList> rows;
    while (!rs.Eof()) {
        QVariantList row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row << rs.Fields(short(i)).Value();
        rows << row;
        rs.MoveNext();
    }
    return rows;
}
