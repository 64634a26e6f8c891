// ringvane-calls run as a user runs it, on the SQLite driver or, built with
// RINGVANE_TEST_POSTGRES, on PostgreSQL: what it lists, which numbers match, its exit codes.

#include "calllog/CallLog.h"
#include "tests/calllog/OdbcSandbox.h"

#include "tools/calls/CallsCommand.h"
#include "locale/DateServices.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace calls;

namespace {

struct CommandRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// The command with the sandbox's ODBC files, or with odbcIni in place of the user's.
CommandRun runCalls(const QStringList &args, const QString &odbcIni = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!odbcIni.isEmpty())
        env.insert(QStringLiteral("ODBCINI"), odbcIni);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(RINGVANE_CALLS_COMMAND), args);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QDateTime at(int day, int hour, int minute)
{
    return dates::makeDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

class CallsCommand : public ::testing::Test
{
protected:
    void SetUp() override { OdbcSandbox::instance().resetCallLog(); }

    static void add(const QDateTime &when, const QVariant &number, const QVariant &name = {})
    {
        QString sql = QStringLiteral("INSERT INTO IDList (datetime, number) VALUES (?, ?)");
        QVariantList values{dates::toDayNumber(when), number};
        if (name.isValid()) {
            sql = QStringLiteral("INSERT INTO IDList (datetime, number, name) VALUES (?, ?, ?)");
            values << name;
        }
        OdbcSandbox::instance().admin().Execute(sql, values);
    }

    // The number (or another field) of every JSON line the command writes.
    static QStringList listed(const QStringList &args, const char *field = "number")
    {
        const CommandRun run =
            runCalls(args + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
        EXPECT_EQ(run.exitCode, ExitOk) << run.err.toStdString();
        QStringList values;
        for (const QByteArray &line : run.out.split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonValue v = QJsonDocument::fromJson(line).object().value(QLatin1String(field));
            values << (v.isNull() ? QStringLiteral("(null)") : v.toString());
        }
        return values;
    }
};

} // namespace

TEST_F(CallsCommand, ListsTheDaysAskedForOldestFirst)
{
    add(at(10, 0, 0), u"d"_qs);
    add(at(8, 23, 59), u"a"_qs);
    add(at(9, 23, 59), u"c"_qs);
    add(at(9, 0, 0), u"b"_qs);
    EXPECT_EQ(listed({"--day", "2026-12-09"}), QStringList({"b", "c"}));
    EXPECT_EQ(listed({"--from", "2026-12-08", "--to", "2026-12-09"}), QStringList({"a", "b", "c"}));
    EXPECT_EQ(listed({"--day", "2026-12-11"}), QStringList());

    const CommandRun text = runCalls({"--day", "2026-12-09"});
    EXPECT_EQ(text.exitCode, ExitOk);
    EXPECT_EQ(text.out, "001.[2026/12/09 00:00] b\n002.[2026/12/09 23:59] c\n");
    const CommandRun csv = runCalls({"--day", "2026-12-11", "--format", "csv"});
    EXPECT_EQ(csv.out, "datetime,number,name,contact,blocked\r\n");
}

TEST_F(CallsCommand, NumbersMatchExactlyWithStarsForAnyText)
{
    for (const char *number :
         {"5550123", "ABC", "abc", "a%c", "a_c", "axc", "a!c", "", "+1 555 0123"})
        add(at(9, 10, 0), QString::fromUtf8(number));
    add(at(9, 10, 0), QVariant()); // NULL
    const QStringList aStar{"abc", "a%c", "a_c", "axc", "a!c"};
    const struct
    {
        const char *pattern;
        QStringList expected;
    } cases[] = {
        {"abc", {"abc"}},
        {"ABC", {"ABC"}},
        {"a*", aStar},
        {"A*", {"ABC"}},
        {"a*c", aStar},
        {"a%c", {"a%c"}},
        {"a_c", {"a_c"}},
        {"a!c", {"a!c"}},
        {"%", {}},
        {"_bc", {}},
        {"", {"", "(null)"}},
        {"*555*", {"5550123", "+1 555 0123"}},
        {"+1 555 0123", {"+1 555 0123"}},
    };
    for (const auto &c : cases) {
        QStringList got = listed({"--day", "2026-12-09", "--number", c.pattern});
        got.sort();
        QStringList expected = c.expected;
        expected.sort();
        EXPECT_EQ(got, expected) << "--number '" << c.pattern << "'";
    }
    EXPECT_EQ(listed({"--day", "2026-12-09", "--number", "*"}).size(), 10);
}

TEST_F(CallsCommand, ReadsNamesWhereTheLogHasThem)
{
    OdbcSandbox::instance().admin().Execute(u"ALTER TABLE IDList ADD COLUMN name TEXT"_qs);
    add(at(9, 10, 0), u"5550123"_qs, u"Ann \x1b[1mLee"_qs);
    add(at(9, 10, 5), u"5550124"_qs, u""_qs); // no name known
    EXPECT_EQ(runCalls({"--day", "2026-12-09"}).out,
              "001.[2026/12/09 10:00] 5550123 Ann \uFFFD[1mLee\n002.[2026/12/09 10:05] 5550124\n");
    EXPECT_EQ(listed({"--day", "2026-12-09"}, "name"), QStringList({"Ann \x1b[1mLee", "(null)"}));
}

// The user's phonebook names a caller after the line's own text; the number stays as sent.
TEST_F(CallsCommand, NamesCallersFromThePhonebook)
{
    add(at(9, 10, 0), u"5550123"_qs);
    add(at(9, 10, 5), u"5550199"_qs);
    ASSERT_TRUE(CallLog(OdbcSandbox::instance().admin()).addContact({u"5550123"_qs, u"Mum"_qs, {}}));
    EXPECT_EQ(runCalls({"--day", "2026-12-09"}).out,
              "001.[2026/12/09 10:00] 5550123 (Mum)\n002.[2026/12/09 10:05] 5550199\n");
    EXPECT_EQ(listed({"--day", "2026-12-09"}, "contact"), QStringList({"Mum", "(null)"}));
    EXPECT_EQ(runCalls({"--day", "2026-12-09", "--format", "csv"}).out,
              "datetime,number,name,contact,blocked\r\n2026-12-09T10:00,5550123,,Mum,\r\n"
              "2026-12-09T10:05,5550199,,,\r\n");
}

// The action column marks hung-up calls, as Ringvane writes it or another program might.
TEST_F(CallsCommand, MarksTheCallsTheLineWasHungUpOn)
{
    db::Connection &admin = OdbcSandbox::instance().admin();
    admin.Execute(u"ALTER TABLE IDList ADD COLUMN action TEXT"_qs);
    for (const auto &[minute, number, action] : {std::tuple{0, "0800", u"blocked"_qs},
                                                 std::tuple{1, "555", QString()},
                                                 std::tuple{2, "P", u" BLOCKED "_qs}})
        admin.Execute(u"INSERT INTO IDList (datetime, number, action) VALUES (?, ?, ?)"_qs,
                      {dates::toDayNumber(at(9, 10, minute)), QString::fromLatin1(number),
                       action.isNull() ? QVariant() : QVariant(action)});
    EXPECT_EQ(runCalls({"--day", "2026-12-09"}).out,
              "001.[2026/12/09 10:00] 0800 [hung up]\n002.[2026/12/09 10:01] 555\n"
              "003.[2026/12/09 10:02] P [hung up]\n");
}

TEST_F(CallsCommand, ExitCodesSayWhatWentWrong)
{
    const struct
    {
        QStringList args;
        ExitCode exitCode;
        const char *says;
    } cases[] = {
        {{"--help"}, ExitOk, ""},
        {{"--dsn", "NoSuchSource"}, ExitNoDataSource, "no ODBC data source \"NoSuchSource\""},
        {{"--dsn", "Gone"}, ExitUnreachable, "cannot be reached"},
        {{"--dsn", "BrokenDriver"}, ExitDatabase, "could not give the call log"},
        {{"--day", "2026-13-01"}, ExitUsage, "is not a day"},
        {{"--format"}, ExitUsage, "Missing value"},
        {{"--dsn", QString(5000, QLatin1Char('x'))}, ExitNoDataSource, "no ODBC data source"},
    };
    for (const auto &c : cases) {
        const CommandRun run = runCalls(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode)
            << c.args.join(u' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << run.err.toStdString();
    }
    EXPECT_TRUE(runCalls({"--help"}).out.startsWith("Usage: ringvane-calls"));
    // Output that cannot be written: a full disk, a closed descriptor (which the call log's
    // file must not take over).
    add(at(9, 10, 0), u"5550123"_qs);
    for (const char *redirect : {">/dev/full", ">&-"}) {
        QProcess shell;
        shell.start(u"sh"_qs,
                    {u"-c"_qs, u"exec \"$0\" --day 2026-12-09 "_qs + QLatin1String(redirect),
                     RINGVANE_CALLS_COMMAND});
        ASSERT_TRUE(shell.waitForFinished(60000));
        EXPECT_EQ(shell.exitCode(), ExitOutput) << redirect;
        EXPECT_TRUE(shell.readAllStandardError().contains("Could not write the output"))
            << redirect;
    }

    OdbcSandbox::instance().admin().Execute(u"DROP TABLE IDList"_qs);
    const CommandRun noTable = runCalls({"--number", "5*"});
    EXPECT_EQ(noTable.exitCode, ExitNoTable) << noTable.err.toStdString();
    EXPECT_TRUE(noTable.err.contains(u"holds no call log (table IDList)"))
        << noTable.err.toStdString();
}

#ifndef RINGVANE_TEST_POSTGRES
TEST_F(CallsCommand, ASQLiteFileIsOpenedAsItIsNeverMadeAndJunkIsNoCallLog)
{
    OdbcSandbox &sandbox = OdbcSandbox::instance();
    const QString junk = sandbox.dir() + u"/junk.db"_qs;
    const QString missing = sandbox.dir() + u"/missing.db"_qs;
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray bytes(64 * 1024, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919 + 13) % 251);
    file.write(bytes);
    file.close();
    QFile ini(sandbox.userIni());
    ASSERT_TRUE(ini.open(QIODevice::Append));
    ini.write("\n[Junk]\nDriver=SQLite3\nDatabase=" + junk.toUtf8() +
              "\n\n[Missing]\nDriver=SQLite3\nDatabase=" + missing.toUtf8() + "\n");
    ini.close();

    const CommandRun junkRun = runCalls({"--dsn", "Junk"});
    EXPECT_EQ(junkRun.exitCode, ExitNoTable) << junkRun.err.toStdString();
    EXPECT_TRUE(junkRun.err.contains(u"holds no call log")) << junkRun.err.toStdString();
    const CommandRun missingRun = runCalls({"--dsn", "Missing"});
    EXPECT_EQ(missingRun.exitCode, ExitUnreachable) << missingRun.err.toStdString();
    EXPECT_FALSE(QFile::exists(missing)) << "no empty file left where the log was missing";
}
#endif

#ifdef RINGVANE_TEST_POSTGRES

TEST_F(CallsCommand, AServerThatStoppedIsUnreachable)
{
    QTemporaryDir dir;
    const QString state = dir.filePath(u"pg.state"_qs);
    ASSERT_EQ(QProcess::execute(u"sh"_qs, {RINGVANE_PG_SCRIPT, u"start"_qs, state}), 0);
    QFile file(state);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString host =
        QString::fromUtf8(file.readAll()).section(u"PGHOST="_qs, 1).section(u'\n', 0, 0);
    const QString ini = dir.filePath(u"odbc.ini"_qs);
    QFile iniFile(ini);
    ASSERT_TRUE(iniFile.open(QIODevice::WriteOnly));
    iniFile.write("[Throwaway]\nDriver=PostgreSQL Unicode\nServername=" + host.toUtf8() +
                  "\nPort=5432\nDatabase=postgres\nUsername=ringvane\npqopt=connect_timeout=5\n");
    iniFile.close();

    const CommandRun up = runCalls({"--dsn", "Throwaway"}, ini); // a fresh server: no call log yet
    QProcess::execute(u"sh"_qs, {RINGVANE_PG_SCRIPT, u"stop"_qs, state});
    EXPECT_EQ(up.exitCode, ExitNoTable) << up.err.toStdString();
    const CommandRun down = runCalls({"--dsn", "Throwaway"}, ini);
    EXPECT_EQ(down.exitCode, ExitUnreachable) << down.err.toStdString();
    EXPECT_TRUE(down.err.contains(u"\"Throwaway\" cannot be reached")) << down.err.toStdString();
}

#endif

// The drivers load a whole result unless told to stream it, so the peak over 1,000,000
// calls shows whether rows are handed over one at a time.
TEST_F(CallsCommand, StreamsAMillionCallsInLittleMemory)
{
    const long long first = dates::toDayNumber(QDate(2026, 1, 1));
    OdbcSandbox &sandbox = OdbcSandbox::instance();
    // Made in the data source itself: a million bound inserts would take minutes.
    ASSERT_EQ(
        sandbox.admin().Execute(
            sandbox.backend() == OdbcSandbox::Postgres
                ? QStringLiteral("INSERT INTO IDList SELECT %1 + x / 10000.0, '555' || x "
                                 "FROM generate_series(0, 999999) x")
                      .arg(first)
                : QStringLiteral("INSERT INTO IDList WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL "
                                 "SELECT x + 1 FROM c WHERE x < 999999) SELECT %1 + x / 10000.0, "
                                 "'555' || x FROM c")
                      .arg(first)),
        1000000);

    QTemporaryDir dir;
    auto peakKb = [&](const QStringList &range) {
        const QString report = dir.filePath(u"time"_qs);
        QProcess time; // GNU time: a child's own peak, whatever this process holds
        time.setStandardOutputFile(QProcess::nullDevice());
        time.start(u"/usr/bin/time"_qs,
                   QStringList{"-f", "%M", "-o", report, RINGVANE_CALLS_COMMAND} + range +
                       QStringList{"--format", "csv"});
        EXPECT_TRUE(time.waitForFinished(120000) && time.exitCode() == 0)
            << time.readAllStandardError().toStdString();
        QFile file(report);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLong() : -1L;
    };
    const long day = peakKb({"--day", "2026-01-01"});
    const long all = peakKb({"--from", "2026-01-01", "--to", "2026-04-10"});
    ASSERT_GT(day, 0);
    // Loaded whole, the rows take some 80 MB (SQLite) or 160 MB (psqlODBC); streamed, what
    // the driver caches is the rest.
    EXPECT_LT(all - day, 8 * 1024) << "one day " << day << " KB, 1,000,000 calls " << all << " KB";
}
