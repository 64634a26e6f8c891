// The call log on the SQLite data source: what appending a call costs with an empty log
// and with 1,000,000 calls, against a bare prepared INSERT through the ODBC C API on the
// same data source, and what the day query costs on that log, against the same query run
// through the C API directly.
#include "calllog/CallLog.h"
#include "bench/support/BareOdbc.h"
#include "bench/support/BenchClock.h"
#include "bench/support/BenchFiles.h"
#include "locale/DateServices.h"
#include "calllog/TAPI.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

constexpr int kLogCalls = 1000000;
constexpr int kDayCalls = 30;
constexpr int kBusyDayCalls = 100;
const QDate kFirstDay(2021, 1, 1); // three years of calls from here
constexpr int kLogDays = 3 * 365;

qint64 firstDayNumber()
{
    return dates::toDayNumber(kFirstDay);
}
qint64 quietDay()
{
    return firstDayNumber() + 500;
}
qint64 busyDay()
{
    return firstDayNumber() + 800;
}



// A private unixODBC configuration over two log files, the empty one and the full one,
// each as the setup command writes it (write-ahead journal, full sync) and once more
// without the sync, where what our code costs is not hidden behind the disk.
class Sandbox
{
public:
    Sandbox()
    {
        if (!m_dir.isValid())
            throw std::runtime_error("no temporary folder");
        bench::writeFile(m_dir.filePath(QStringLiteral("odbcinst.ini")),
                  "[SQLite3]\nDriver=" + bench::sqliteDriverPath().toUtf8() + "\n");
        bench::writeFile(m_dir.filePath(QStringLiteral("odbc.ini")), "");
        QByteArray ini;
        for (const char *log : {"Empty", "Full"}) {
            const QByteArray file = logFile(QString::fromLatin1(log)).toUtf8();
            ini += QByteArray("[") + log + "]\nDriver=SQLite3\nDatabase=" + file +
                   "\nNoCreat=1\nJournalMode=WAL\nSyncPragma=FULL\nTimeout=2000\n\n";
            ini += QByteArray("[") + log + "NoSync]\nDriver=SQLite3\nDatabase=" + file +
                   "\nNoCreat=1\nJournalMode=WAL\nSyncPragma=OFF\nTimeout=2000\n\n";
        }
        bench::writeFile(m_dir.filePath(QStringLiteral("user.ini")), ini);
        // unixODBC reads these once, before its first call.
        qputenv("ODBCSYSINI", m_dir.path().toUtf8());
        qputenv("ODBCINI", m_dir.filePath(QStringLiteral("user.ini")).toUtf8());
    }

    QString logFile(const QString &log) const
    {
        return m_dir.filePath(log.toLower() + QStringLiteral(".db"));
    }

    // A log with the table and index the program creates; the full one then gets its calls.
    void makeLog(const QString &log)
    {
        bench::writeFile(logFile(log), "");
        const bool full = log == QLatin1String("Full");
        {
            db::Connection admin;
            admin.Open(QStringLiteral("DSN=%1NoSync;ODBC;").arg(log), {}, {}, -1);
            if (const Result<void> made = CallLog::create(admin); !made)
        throw made.failure();
            if (full)
                admin.Execute(QStringLiteral("DROP INDEX IF EXISTS IDList_datetime"));
        }
        if (!full)
            return;
        fill(logFile(log));
        // The index again, built once over all rows rather than row by row.
        db::Connection admin;
        admin.Open(QStringLiteral("DSN=%1NoSync;ODBC;").arg(log), {}, {}, -1);
        if (const Result<void> made = CallLog::create(admin); !made)
        throw made.failure();
    }

private:
    // Filled by the sqlite3 shell in one transaction: three years of calls, about 900 a
    // day, except two days that get exactly kDayCalls and kBusyDayCalls.
    static void fill(const QString &file)
    {
        const int background = kLogCalls - kDayCalls - kBusyDayCalls;
        // asprintf, not arg(): the SQL has printf patterns of its own.
        const QString sql = QString::asprintf(
            "PRAGMA synchronous=OFF;\nBEGIN;\n"
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < %d),\n"
            " d0(x, day) AS (SELECT x, %lld + x %% %d FROM c),\n"
            " d1(x, day) AS (SELECT x, day + (day >= %lld) FROM d0),\n"
            " d2(x, day) AS (SELECT x, day + (day >= %lld) FROM d1)\n"
            "INSERT INTO IDList (datetime, number) SELECT day + ((x * 7919) %% 86400) / 86400.0, "
            "printf('555%%04d', x %% 10000) FROM d2;\n"
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < %d)\n"
            "INSERT INTO IDList SELECT %lld + ((x * 2879) %% 86400) / 86400.0, "
            "printf('0800%%06d', x) FROM c;\n"
            "WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x + 1 < %d)\n"
            "INSERT INTO IDList SELECT %lld + ((x * 2879) %% 86400) / 86400.0, "
            "printf('0800%%06d', x) FROM c;\n"
            "COMMIT;\nSELECT count(*) FROM IDList;\n",
            background, static_cast<long long>(firstDayNumber()), kLogDays - 2,
            static_cast<long long>(quietDay()), static_cast<long long>(busyDay()), kDayCalls,
            static_cast<long long>(quietDay()), kBusyDayCalls, static_cast<long long>(busyDay()));
        const int rows = bench::runSqliteShell(file, sql.toUtf8()).trimmed().toInt();
        if (rows != kLogCalls)
            throw std::runtime_error("the log holds " + std::to_string(rows) + " rows");
    }

    QTemporaryDir m_dir;
};

double threadCpuMicroseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

// SQLite runs inside this process, so without disk syncs the thread's CPU time is what a
// call costs, and unlike the wall clock it does not count other programs' turns on a
// shared machine. With syncs, waiting for the disk is the cost: the wall clock it is.
enum class Clock { Wall, ThreadCpu };
Clock g_clock = Clock::Wall;

const char *clockName(Clock clock)
{
    return clock == Clock::Wall ? "wall clock" : "thread CPU time";
}

struct Timing
{
    double wall;
    double cpu;
};

// Microseconds a run of work takes, by both clocks.
Timing timeBoth(const std::function<void()> &work)
{
    QElapsedTimer timer;
    const double cpuStart = threadCpuMicroseconds();
    timer.start();
    work();
    return {double(timer.nsecsElapsed()) / 1e3, threadCpuMicroseconds() - cpuStart};
}

double timeMicroseconds(const std::function<void()> &work)
{
    const Timing t = timeBoth(work);
    return g_clock == Clock::Wall ? t.wall : t.cpu;
}

void openCallLog(const QString &dsn)
{
    TAPI::releaseConnection();
    db::Connection &connection = TAPI::connection();
    connection.setCursorLocation(db::adUseClient);
    connection.Open(QStringLiteral("DSN=%1;ODBC;").arg(dsn), {}, {}, -1);
}

// The comparison side: plain ODBC C API code, as a program without our layer would write
// it, on its own connection to the same data source.
class BareOdbc
{
public:
    explicit BareOdbc(const QString &dsn)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        const std::string connect = "DSN=" + dsn.toStdString() + ";";
        bench::checkOdbc(SQL_HANDLE_DBC, m_dbc,
              SQLDriverConnect(m_dbc, nullptr, (SQLCHAR *)connect.c_str(), SQL_NTS, nullptr, 0,
                               nullptr, SQL_DRIVER_NOPROMPT),
              "connect");
    }
    ~BareOdbc()
    {
        if (m_insert)
            SQLFreeHandle(SQL_HANDLE_STMT, m_insert);
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    BareOdbc(const BareOdbc &) = delete;
    BareOdbc &operator=(const BareOdbc &) = delete;

    void prepareInsert()
    {
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_insert);
        bench::checkOdbc(SQL_HANDLE_STMT, m_insert,
              SQLPrepare(m_insert,
                         (SQLCHAR *)"INSERT INTO IDList (datetime, number) VALUES (?, ?)",
                         SQL_NTS),
              "prepare");
    }

    void insert(double dayNumber, const char *number)
    {
        SQLLEN numberLength = SQLLEN(std::strlen(number));
        SQLBindParameter(m_insert, 1, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &dayNumber,
                         0, nullptr);
        SQLBindParameter(m_insert, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                         SQLULEN(numberLength), 0, const_cast<char *>(number), numberLength,
                         &numberLength);
        bench::checkOdbc(SQL_HANDLE_STMT, m_insert, SQLExecute(m_insert), "insert");
    }

    // Statement, execute, fetch, get both columns: the rows read.
    int dayQuery(const std::string &query)
    {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt);
        bench::checkOdbc(SQL_HANDLE_STMT, stmt, SQLExecDirect(stmt, (SQLCHAR *)query.c_str(), SQL_NTS),
              "day query");
        int rows = 0;
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            double when = 0;
            char number[256];
            SQLLEN whenInd = 0;
            SQLLEN numberInd = 0;
            SQLGetData(stmt, 1, SQL_C_DOUBLE, &when, 0, &whenInd);
            SQLGetData(stmt, 2, SQL_C_CHAR, number, sizeof number, &numberInd);
            rows += whenInd != SQL_NULL_DATA && numberInd != SQL_NULL_DATA;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return rows;
    }

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    SQLHSTMT m_insert = SQL_NULL_HSTMT;
};

struct AppendCost
{
    double addCallRecord; // microseconds a call, median of blocks
    double bareInsert; // the C API's prepared INSERT
    double reopen; // of AddCallRecord: opening the table anew, as it does for each call
};

struct CallStamps
{
    int n = 0;
    QDateTime next()
    {
        const QDateTime when =
            dates::makeDateTime(QDate(2024, 3, 1).addDays(n % 300), QTime((n / 7) % 24, n % 60));
        ++n;
        return when;
    }
};

struct AppendSamples
{
    QList<double> add, bare, reopen; // microseconds, one sample a call
};

// A block of calls on the data source dsn: AddCallRecord and the bare INSERT take turns
// call by call, so the disk's and the machine's moods fall on both alike.
void appendBlock(const QString &dsn, int perBlock, CallStamps &stamps, AppendSamples &samples)
{
    auto number = [](int i) { return QStringLiteral("555%1").arg(i % 10000, 4, 10, QLatin1Char('0')); };
    openCallLog(dsn);
    {
        BareOdbc bareDb(dsn);
        bareDb.prepareInsert();
        auto add = [&](int i) {
            const Result<TAPI::Store> outcome = TAPI::AddCallRecord(
                dates::formatCallStamp(stamps.next(), QStringLiteral("/"), QStringLiteral(":")),
                number(i));
            if (!outcome || *outcome != TAPI::Store::Stored)
                throw std::runtime_error("AddCallRecord: " + outcome.errorString().toStdString());
        };
        auto bare = [&](int i) {
            char text[16];
            std::snprintf(text, sizeof text, "555%04d", i % 10000);
            bareDb.insert(dates::toDayNumber(stamps.next()), text);
        };
        auto reopen = [] {
            if (const Result<void> opened = TAPI::OpenRecordset(
                    QStringLiteral("IDList"), TAPI::recordsetVariable(), 0,
                    db::CommandOption::Table, db::LockType::Optimistic);
                !opened)
                throw opened.failure();
        };
        for (int i = 0; i < 5; ++i) { // first prepares, caches
            add(i);
            bare(i);
        }
        for (int i = 0; i < perBlock; ++i) {
            samples.add << timeMicroseconds([&] { add(i); });
            samples.bare << timeMicroseconds([&] { bare(i); });
            samples.reopen << timeMicroseconds(reopen);
        }
    }
    TAPI::releaseConnection();
}

// The empty and the full log take turns, block by block.
std::pair<AppendCost, AppendCost> measureAppends(const QString &dsnSuffix, int rounds, int perBlock)
{
    CallStamps stamps;
    AppendSamples empty;
    AppendSamples full;
    for (int r = 0; r < rounds; ++r) {
        appendBlock(QStringLiteral("Empty") + dsnSuffix, perBlock, stamps, empty);
        appendBlock(QStringLiteral("Full") + dsnSuffix, perBlock, stamps, full);
    }
    return {{bench::median(empty.add), bench::median(empty.bare), bench::median(empty.reopen)},
            {bench::median(full.add), bench::median(full.bare), bench::median(full.reopen)}};
}

struct QueryCost
{
    Timing throughRecordset; // microseconds for the open and all rows, median
    Timing direct;
    int rows;
};

QueryCost measureDayQuery(qint64 day, int repeats)
{
    const QString query = QStringLiteral("select * from idlist where datetime>=%1 and datetime<%2")
                              .arg(day)
                              .arg(day + 1);
    const std::string bareQuery = query.toStdString();
    openCallLog(QStringLiteral("Full"));
    BareOdbc bareDb(QStringLiteral("Full"));
    int recordsetRows = 0;
    int directRows = 0;
    auto viaRecordset = [&] {
        if (const Result<void> opened = TAPI::OpenRecordset(
                query, TAPI::recordsetVariable(), 0, db::CommandOption::Text, db::LockType::ReadOnly);
            !opened)
            throw opened.failure();
        db::Recordset &rs = *TAPI::recordsetVariable();
        recordsetRows = 0;
        while (!rs.Eof()) {
            const QVariant when = rs.Fields(0).Value();
            const QVariant number = rs.Fields(1).Value();
            recordsetRows += when.isValid() && number.isValid();
            rs.MoveNext();
        }
    };
    auto direct = [&] { directRows = bareDb.dayQuery(bareQuery); };
    viaRecordset();
    direct();
    QList<double> aWall, aCpu, bWall, bCpu;
    for (int i = 0; i < repeats; ++i) {
        const Timing a = timeBoth(viaRecordset);
        const Timing b = timeBoth(direct);
        aWall << a.wall;
        aCpu << a.cpu;
        bWall << b.wall;
        bCpu << b.cpu;
    }
    if (recordsetRows != directRows)
        throw std::runtime_error("the two ways read different rows");
    TAPI::releaseConnection();
    return {{bench::median(aWall), bench::median(aCpu)},
            {bench::median(bWall), bench::median(bCpu)},
            recordsetRows};
}

const char *verdict(bool met)
{
    return met ? "MET" : "MISSED";
}

void reportAppends(const char *dsnNote, const AppendCost &empty, const AppendCost &full)
{
    const double growth = full.addCallRecord / empty.addCallRecord;
    const double againstBare = full.addCallRecord / full.bareInsert;
    const double againstBareEmpty = empty.addCallRecord / empty.bareInsert;
    std::printf("AddCallRecord, %s, by %s: empty log %.1f us/call, %d-call log %.1f us/call\n",
                dsnNote, clockName(g_clock), empty.addCallRecord, kLogCalls, full.addCallRecord);
    std::printf("  ratio full/empty: %.2f (goal <= 1.2) %s\n", growth, verdict(growth <= 1.2));
    std::printf("  bare prepared INSERT (ODBC C API): empty log %.1f us/call, full log %.1f us/call\n",
                empty.bareInsert, full.bareInsert);
    std::printf("  ratio AddCallRecord/bare INSERT: full log %.2f, empty log %.2f (goal <= 1.2) %s\n",
                againstBare, againstBareEmpty,
                verdict(againstBare <= 1.2 && againstBareEmpty <= 1.2));
    std::printf("  of which opening the table anew (as AddCallRecord does for each call): "
                "empty log %.1f us, full log %.1f us\n",
                empty.reopen, full.reopen);
}

// The day query is CPU work inside this process (SQLite, pages cached): the goal is judged
// by thread CPU time, which other programs on the machine do not disturb.
void reportDay(const char *what, const QueryCost &day)
{
    std::printf("day query, %d-call log, day of %d calls%s: OpenRecordset + all rows %.0f us wall "
                "(%.0f us CPU), same query through the ODBC C API %.0f us wall (%.0f us CPU)\n",
                kLogCalls, day.rows, what, day.throughRecordset.wall, day.throughRecordset.cpu,
                day.direct.wall, day.direct.cpu);
    const double wall = day.throughRecordset.wall / day.direct.wall;
    const double cpu = day.throughRecordset.cpu / day.direct.cpu;
    std::printf("  ratio recordset/bare C API: %.2f CPU (goal <= 1.3) %s, %.2f wall\n", cpu,
                verdict(cpu <= 1.3), wall);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    try {
        Sandbox sandbox;
        QElapsedTimer timer;
        timer.start();
        sandbox.makeLog(QStringLiteral("Empty"));
        sandbox.makeLog(QStringLiteral("Full"));
        std::printf("call log: %d calls over %d days filled in %.1f s (sqlite3 shell)\n",
                    kLogCalls, kLogDays, double(timer.elapsed()) / 1e3);

        g_clock = Clock::Wall;
        const auto [emptySynced, fullSynced] = measureAppends(QString(), 10, 40);
        reportAppends("DSN as set up (WAL, full sync)", emptySynced, fullSynced);
        g_clock = Clock::ThreadCpu;
        const auto [emptyFast, fullFast] = measureAppends(QStringLiteral("NoSync"), 10, 300);
        reportAppends("same files without sync (our code's share shows)", emptyFast, fullFast);

        const QueryCost quiet = measureDayQuery(quietDay(), 51);
        const QueryCost busy = measureDayQuery(busyDay(), 51);
        reportDay("", quiet);
        reportDay(" (the busy day)", busy);
        if (quiet.rows != kDayCalls || busy.rows != kBusyDayCalls) {
            std::fprintf(stderr, "the days hold %d and %d calls, not %d and %d\n", quiet.rows,
                         busy.rows, kDayCalls, kBusyDayCalls);
            return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench_calllog: %s\n", e.what());
        return 1;
    }
    return 0;
}
