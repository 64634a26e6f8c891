// ringvane-setup-calllog run as a user would run it, on a fresh home folder.

#include "tests/calllog/OdbcSandbox.h"
#include "calllog/CallLog.h"
#include "calllog/DayView.h"
#include "calllog/TAPI.h"

#include "failure/Failure.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CommandRun
{
    int exitCode = -1;
    QString output;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SetupCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        OdbcSandbox::instance();
    }

    QString home() const { return m_home.path(); }
    QString ini() const { return home() + QStringLiteral("/.odbc.ini"); }
    QString dbFile() const { return home() + QStringLiteral("/.local/share/ringvane/calllog.db"); }

    CommandRun run(const QString &iniPath, const QString &xdgDataHome = {},
                   const QStringList &arguments = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home());
        env.insert(QStringLiteral("ODBCINI"), iniPath);
        env.insert(QStringLiteral("ODBCSYSINI"), OdbcSandbox::instance().systemDir());
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        if (!xdgDataHome.isEmpty())
            env.insert(QStringLiteral("XDG_DATA_HOME"), xdgDataHome);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(RINGVANE_SETUP_COMMAND), arguments);
        if (!process.waitForFinished(30000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAll())};
    }

    QTemporaryDir m_home;
};

#ifndef RINGVANE_TEST_POSTGRES

// The table and index as the SQLite file holds them, and its rows.
struct FileContents
{
    QStringList objects;
    int rows = -1;
};

FileContents contentsOf(const QString &file)
{
    db::Connection c;
    c.Open(QStringLiteral("DRIVER=%1;Database=%2;NoCreat=1")
               .arg(OdbcSandbox::instance().sqliteDriver(), file),
           {}, {}, -1);
    FileContents contents;
    for (const QVariantList &row :
         queryRows(c, QStringLiteral("select type, name, sql from sqlite_master order by name")))
        contents.objects << row.value(0).toString() + QLatin1Char(' ') + row.value(1).toString() +
                                QLatin1Char(' ') + row.value(2).toString();
    contents.rows = queryRows(c, QStringLiteral("select count(*) from idlist")).value(0).value(0).toInt();
    return contents;
}

TEST_F(SetupCommand, CreatesTheDataSourceFileTableAndIndexOnAFreshHome)
{
    const QByteArray others = "; my other sources\n[Other]\nDriver=SQLite3\nDatabase=/tmp/x.db";
    struct Case
    {
        const char *name;
        bool existingIni;
        bool xdg;
    };
    for (const Case &c : {Case{"no ini", false, false}, Case{"ini with others", true, false},
                          Case{"XDG_DATA_HOME", true, true}}) {
        SCOPED_TRACE(c.name);
        QDir(home()).removeRecursively();
        QDir().mkpath(home());
        if (c.existingIni) {
            QFile file(ini());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(others);
        }
        const QString xdg = c.xdg ? home() + QStringLiteral("/data") : QString();
        const QString expectedFile =
            c.xdg ? xdg + QStringLiteral("/ringvane/calllog.db") : dbFile();

        const CommandRun first = run(ini(), xdg);
        ASSERT_EQ(first.exitCode, 0) << first.output.toStdString();

        const QByteArray text = readAll(ini());
        if (c.existingIni) {
            EXPECT_TRUE(text.startsWith(others + "\n")) << text.toStdString();
        }
        for (const QByteArray &line :
             {QByteArray("[CallerID]\n"), QByteArray("Driver=SQLite3\n"),
              "Database=" + expectedFile.toUtf8() + "\n", QByteArray("JournalMode=WAL\n"),
              QByteArray("SyncPragma=FULL\n"), QByteArray("NoCreat=1\n"),
              QByteArray("Timeout=")})
            EXPECT_TRUE(text.contains(line)) << line.toStdString();

        const FileContents contents = contentsOf(expectedFile);
        EXPECT_EQ(contents.rows, 0);
        ASSERT_EQ(contents.objects.size(), 3) << contents.objects.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(contents.objects[0].startsWith(QStringLiteral("table IDList ")));
        EXPECT_TRUE(contents.objects[0].contains(QStringLiteral("number TEXT, name TEXT, action TEXT)")))
            << contents.objects[0].toStdString();
        EXPECT_TRUE(contents.objects[1].startsWith(QStringLiteral("index IDList_datetime ")));
        EXPECT_TRUE(contents.objects[1].contains(QStringLiteral("(datetime)")));
        EXPECT_TRUE(contents.objects[2].startsWith(
            QStringLiteral("table Phonebook CREATE TABLE Phonebook (number TEXT, name TEXT, mark")))
            << contents.objects[2].toStdString();
    }
}

TEST_F(SetupCommand, SecondRunKeepsRowsAndTheIniAsTheyAre)
{
    ASSERT_EQ(run(ini()).exitCode, 0);
    {
        db::Connection c;
        c.Open(QStringLiteral("DRIVER=%1;Database=%2;NoCreat=1")
                   .arg(OdbcSandbox::instance().sqliteDriver(), dbFile()),
               {}, {}, -1);
        c.Execute(
            QStringLiteral("insert into IDList (datetime, number) values (37542.6, '5550123')"));
    }
    const QByteArray iniBefore = readAll(ini());

    const CommandRun second = run(ini());
    EXPECT_EQ(second.exitCode, 0) << second.output.toStdString();
    EXPECT_TRUE(second.output.contains(QStringLiteral("already exists")));
    EXPECT_EQ(readAll(ini()), iniBefore);
    EXPECT_EQ(contentsOf(dbFile()).rows, 1);
}

TEST_F(SetupCommand, ADeletedCallLogFileIsMadeAnewWithItsTableAndTheEntryKept)
{
    ASSERT_EQ(run(ini()).exitCode, 0);
    const QByteArray iniBefore = readAll(ini());
    ASSERT_TRUE(QFile::remove(dbFile()));
    const CommandRun again = run(ini());
    EXPECT_EQ(again.exitCode, 0) << again.output.toStdString();
    EXPECT_EQ(readAll(ini()), iniBefore);
    const FileContents contents = contentsOf(dbFile());
    EXPECT_EQ(contents.rows, 0);
    ASSERT_EQ(contents.objects.size(), 3);
    EXPECT_TRUE(contents.objects[0].contains(QStringLiteral("name TEXT")));
}

TEST_F(SetupCommand, UsageAndWrongArguments)
{
    QProcess process;
    process.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {QStringLiteral("--help")});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0);
    const QString usage = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(usage.contains(QStringLiteral("connect_timeout")));

    process.start(QStringLiteral(RINGVANE_SETUP_COMMAND), {QStringLiteral("--bogus")});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_FALSE(QFile::exists(ini()));
}

#else

TEST_F(SetupCommand, ExistingPostgresSourceGetsTheTableOnlyOnce)
{
    OdbcSandbox &sandbox = OdbcSandbox::instance();
    sandbox.resetCallLog();
    sandbox.admin().Execute(QStringLiteral("DROP TABLE IDList"));
    const QByteArray iniBefore = readAll(sandbox.userIni());

    for (int pass = 0; pass < 2; ++pass) {
        const CommandRun result = run(sandbox.userIni());
        ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
        if (pass == 0)
            sandbox.admin().Execute(
                QStringLiteral("insert into idlist (datetime, number) values (37542.6, '1')"));
    }
    EXPECT_EQ(readAll(sandbox.userIni()), iniBefore);
    EXPECT_FALSE(QFile::exists(dbFile()));
    EXPECT_EQ(sandbox.rowCount(), 1);
    const QList<QVariantList> index = queryRows(
        sandbox.admin(), QStringLiteral("select indexdef from pg_indexes where tablename = 'idlist' "
                                          "and schemaname = current_schema()"));
    ASSERT_EQ(index.size(), 1);
    EXPECT_TRUE(index[0][0].toString().contains(QStringLiteral("(datetime)")));
}

#endif

// A log of an earlier version gets the new columns only when asked, each once; its rows,
// and what the day query reads of them, stay as they were. Then a hung-up call goes in and
// comes back as one.
TEST_F(SetupCommand, AddingColumnsKeepsRowsAndTheDayQuery)
{
    OdbcSandbox &sandbox = OdbcSandbox::instance();
    sandbox.resetCallLog(); // two columns, as earlier versions made it
    sandbox.admin().Execute(QStringLiteral("insert into idlist values (37542.6, '5550123')"));
    const QString dayQuery =
        QStringLiteral("select * from idlist where datetime>=37542 and datetime<37543");
    const QList<QVariantList> before = queryRows(sandbox.admin(), dayQuery);
    ASSERT_EQ(before.size(), 1);

    // The columns after each run: added only when asked, each once.
    const QStringList name{u"--add-name-column"_qs}, all{u"--add-columns"_qs};
    for (const auto &[arguments, columns] : std::initializer_list<std::pair<QStringList, int>>{
             {{}, 2}, {name, 3}, {name, 3}, {all, 4}, {all, 4}}) {
        const CommandRun result = run(sandbox.userIni(), {}, arguments);
        ASSERT_EQ(result.exitCode, 0) << result.output.toStdString();
        // A connection opened before the change may go on seeing the table as it was.
        db::Connection reader;
        reader.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
        const QList<QVariantList> after = queryRows(reader, dayQuery);
        ASSERT_EQ(after.size(), 1);
        ASSERT_EQ(after[0].size(), columns) << arguments.join(u' ').toStdString();
        EXPECT_EQ(after[0].mid(0, 2), before[0]);
    }
    EXPECT_EQ(sandbox.rowCount(), 1);

    // Read as the feed and the day view read a day; the check of a commit whose answer was
    // lost counts the row.
    db::Connection connection;
    connection.Open(QStringLiteral("DSN=CallerID;"), {}, {}, -1);
    CallLog log(connection);
    const Call hungUp{CallLog::dateTimeOf(37542.75), u"0800"_qs, {}, true};
    ASSERT_TRUE(log.append({hungUp}));
    QList<bool> marks;
    for (const Call &call : log.readDay(hungUp.when.date(), 10).valueOr({}))
        marks << call.blocked;
    db::Recordset rows;
    rows.Open(dayQuery, connection, db::CursorType::ForwardOnly, db::LockType::ReadOnly,
              db::CommandOption::Text);
    dayview::readDayLines(rows, 1, 10, u"."_qs, u"/"_qs, u":"_qs, nullptr, nullptr, &marks);
    EXPECT_EQ(marks, QList<bool>({false, true, false, true}));
    EXPECT_EQ(log.countRows({hungUp}).valueOr({}).value(rowKey(hungUp)), 1);
}

} // namespace
