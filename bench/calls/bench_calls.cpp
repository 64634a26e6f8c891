// ringvane-calls over 1,000,000 calls of a SQLite call log, output to /dev/null, against a
// bare ODBC C API loop that runs the same query on the same data source and fetches
// every column of every row; and the command's peak memory for that range and for a day.
#include "calllog/CallLog.h"
#include "bench/support/BareOdbc.h"
#include "bench/support/BenchFiles.h"
#include "tools/calls/CallsCommand.h"
#include "locale/DateServices.h"
#include "calllog/TAPI.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

constexpr int kLogCalls = 1000000;
const QDate kFirstDay(2021, 1, 1);
constexpr int kLogDays = 3 * 365;
const QString kDsn = QStringLiteral("Calls");



// The data source as the setup command makes it, in a private unixODBC configuration
// that the command inherits, filled by the sqlite3 shell in one transaction.
void makeLog(const QTemporaryDir &dir)
{
    const QByteArray file = dir.filePath(QStringLiteral("calllog.db")).toUtf8();
    bench::writeFile(dir.filePath(QStringLiteral("odbcinst.ini")),
              "[SQLite3]\nDriver=" + bench::sqliteDriverPath().toUtf8() + "\n");
    bench::writeFile(dir.filePath(QStringLiteral("odbc.ini")), "");
    bench::writeFile(dir.filePath(QStringLiteral("user.ini")),
              "[" + kDsn.toUtf8() + "]\nDriver=SQLite3\nDatabase=" + file +
                  "\nNoCreat=1\nJournalMode=WAL\nSyncPragma=FULL\nTimeout=2000\n");
    qputenv("ODBCSYSINI", dir.path().toUtf8());
    qputenv("ODBCINI", dir.filePath(QStringLiteral("user.ini")).toUtf8());
    bench::writeFile(QString::fromUtf8(file), "");
    {
        db::Connection admin;
        admin.Open(kDsn, {}, {}, -1);
        if (const Result<void> made = CallLog::create(admin); !made)
        throw made.failure();
        admin.Execute(QStringLiteral("DROP INDEX IF EXISTS IDList_datetime"));
    }
    const QString sql = QString::asprintf(
        "PRAGMA synchronous=OFF;\nBEGIN;\n"
        "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < %d)\n"
        "INSERT INTO IDList (datetime, number) SELECT %lld + x * %d.0 / %d, "
        "printf('555%%04d', x %% 10000) FROM c;\nCOMMIT;\n",
        kLogCalls, static_cast<long long>(dates::toDayNumber(kFirstDay)), kLogDays, kLogCalls);
    bench::runSqliteShell(QString::fromUtf8(file), sql.toUtf8());
    db::Connection admin;
    admin.Open(kDsn, {}, {}, -1);
    if (const Result<void> made = CallLog::create(admin); !made)
        throw made.failure(); // the index, built once over all rows
}

struct Run
{
    double wallMs = 0;
    double cpuMs = 0;
    long peakKb = 0;
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// The command with its output to /dev/null, under GNU time: a child's peak memory counts
// what its parent held when it was made, and this process holds a good part of the log.
Run runCommand(const QStringList &arguments, const QString &report)
{
    std::vector<std::string> args{
        "/usr/bin/time", "-f", "%U %S %M", "-o", report.toStdString(), RINGVANE_CALLS_COMMAND};
    for (const QString &a : arguments)
        args.push_back(a.toStdString());
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start /usr/bin/time (package time)");
    int status = 0;
    waitpid(pid, &status, 0);
    Run run;
    run.wallMs = double(timer.nsecsElapsed()) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("ringvane-calls failed");
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("no report from /usr/bin/time");
    const QList<QByteArray> fields = file.readAll().trimmed().split(' ');
    if (fields.size() != 3)
        throw std::runtime_error("unexpected report from /usr/bin/time");
    run.cpuMs = (fields[0].toDouble() + fields[1].toDouble()) * 1e3;
    run.peakKb = fields[2].toLong();
    return run;
}

// Binds values to statement's markers as a C API program would; storage keeps them alive.
void bindValues(SQLHSTMT stmt, const QVariantList &values, std::vector<double> &reals,
                std::vector<std::string> &texts, std::vector<SQLLEN> &lengths)
{
    reals.assign(size_t(values.size()), 0);
    texts.assign(size_t(values.size()), {});
    lengths.assign(size_t(values.size()), 0);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const auto n = SQLUSMALLINT(i + 1);
        const QVariant &v = values.at(i);
        if (v.typeId() == QMetaType::Double) {
            reals[size_t(i)] = v.toDouble();
            SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                             &reals[size_t(i)], 0, nullptr);
        } else {
            texts[size_t(i)] = v.toString().toStdString();
            lengths[size_t(i)] = v.isNull() ? SQL_NULL_DATA : SQLLEN(texts[size_t(i)].size());
            SQLBindParameter(stmt, n, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 255, 0,
                             texts[size_t(i)].data(), 0, &lengths[size_t(i)]);
        }
    }
}

// The same statements with the same bound values on the same connection string, every
// column of every row fetched: what any program reading the log must do at least.
Run runBare(const calls::Query &query, long long &rows)
{
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuMs();
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const std::string connect = calls::connectionString(kDsn).toStdString();
    bench::checkOdbc(SQL_HANDLE_DBC, dbc,
          SQLDriverConnect(dbc, nullptr, (SQLCHAR *)connect.c_str(), SQL_NTS, nullptr, 0, nullptr,
                           SQL_DRIVER_NOPROMPT),
          "connect");
    std::vector<double> reals;
    std::vector<std::string> texts;
    std::vector<SQLLEN> lengths;
    auto execute = [&](const calls::Statement &statement) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        bindValues(stmt, statement.parameters, reals, texts, lengths);
        const std::string sql = statement.sql.toStdString();
        const SQLRETURN rc = SQLExecDirect(stmt, (SQLCHAR *)sql.c_str(), SQL_NTS);
        bench::checkOdbc(SQL_HANDLE_STMT, stmt, rc == SQL_NO_DATA ? SQL_SUCCESS : rc, "statement");
        return stmt;
    };
    for (const calls::Statement &statement : query.preparation)
        SQLFreeHandle(SQL_HANDLE_STMT, execute(statement));
    SQLHSTMT stmt = execute(query.select);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        double when = 0;
        SQLLEN indicator = 0;
        SQLGetData(stmt, 1, SQL_C_DOUBLE, &when, 0, &indicator);
        for (SQLUSMALLINT c = 2; c <= columns; ++c) {
            char text[512];
            SQLGetData(stmt, c, SQL_C_CHAR, text, sizeof text, &indicator);
        }
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return {double(timer.nsecsElapsed()) / 1e6, threadCpuMs() - cpuStart, 0};
}

// The fastest of the runs, clock by clock: on a shared machine other work only ever adds
// to a run's time, so the least is the nearest to what the work itself costs.
Run best(const std::vector<Run> &runs)
{
    Run b = runs.front();
    for (const Run &r : runs) {
        b.wallMs = std::min(b.wallMs, r.wallMs);
        b.cpuMs = std::min(b.cpuMs, r.cpuMs);
        b.peakKb = std::max(b.peakKb, r.peakKb);
    }
    return b;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dir;
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        QElapsedTimer fill;
        fill.start();
        makeLog(dir);
        const QDate lastDay = kFirstDay.addDays(kLogDays);
        std::printf("call log: %d calls over %d days filled in %.1f s (sqlite3 shell)\n", kLogCalls,
                    kLogDays, double(fill.elapsed()) / 1e3);

        const calls::Query query =
            calls::callQuery({kFirstDay, lastDay, std::nullopt}, calls::bindingFor(kDsn));
        const QStringList range{QStringLiteral("--dsn"),  kDsn,
                                QStringLiteral("--from"), kFirstDay.toString(Qt::ISODate),
                                QStringLiteral("--to"),   lastDay.toString(Qt::ISODate)};
        const QString report = dir.filePath(QStringLiteral("time.txt"));
        constexpr int kRounds = 7;
        long long rows = 0;
        runBare(query, rows); // pages into the cache
        for (const char *format : {"text", "csv", "json"}) {
            std::vector<Run> command;
            std::vector<Run> bare;
            // Turn about, so that the machine's moods fall on both alike.
            for (int i = 0; i < kRounds; ++i) {
                command.push_back(runCommand(
                    range + QStringList{QStringLiteral("--format"), QLatin1String(format)},
                    report));
                bare.push_back(runBare(query, rows));
            }
            const Run c = best(command);
            const Run b = best(bare);
            std::printf(
                "ringvane-calls --format %s, %lld calls to /dev/null, best of %d: %.0f ms wall, "
                "%.0f ms CPU (%.2f M calls/s); bare ODBC fetch loop %.0f ms wall, %.0f ms CPU\n",
                format, rows, kRounds, c.wallMs, c.cpuMs, double(rows) / c.wallMs / 1e3, b.wallMs,
                b.cpuMs);
            const double ratio = c.cpuMs / b.cpuMs;
            std::printf("  ratio command/bare: %.2f CPU (goal <= 1.5) %s, %.2f wall; peak memory "
                        "at most %ld KB\n",
                        ratio, ratio <= 1.5 ? "MET" : "MISSED", c.wallMs / b.wallMs, c.peakKb);
        }
        const Run oneDay = runCommand({QStringLiteral("--dsn"), kDsn, QStringLiteral("--day"),
                                       kFirstDay.addDays(500).toString(Qt::ISODate)},
                                      report);
        std::printf("ringvane-calls peak memory: one day's calls %ld KB, all %lld calls %ld KB\n",
                    oneDay.peakKb, rows, runCommand(range, report).peakKb);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_calls: %s\n", e.what());
        return 1;
    }
    return 0;
}
