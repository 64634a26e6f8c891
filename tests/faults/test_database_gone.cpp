// The call log on PostgreSQL and its server stopped while monitoring. The test runs its
// own throwaway server (not the one the call-log tests share), since it stops it. The
// window runs in this process so its list and receive log can be read.
#include "tests/support/TestHelpers.h"
#include "tests/faults/WindowRig.h"

#include "calllog/CallRecorder.h"

#include <QDir>
#include <QLabel>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString serverDir(const QString &state)
{
    QFile file(state);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("PGHOST="))
            return QString::fromUtf8(line.mid(7));
    }
    return {};
}

// pg_ctl on the throwaway server, as the user it runs as.
bool pgCtl(const QString &dir, const QStringList &arguments)
{
    const QString pgCtl = qEnvironmentVariable("PGBIN", QStringLiteral("/usr/lib/postgresql/15/bin")) +
                          QStringLiteral("/pg_ctl");
    QStringList command{pgCtl, QStringLiteral("-D"), dir + QStringLiteral("/data"), QStringLiteral("-w")};
    command += arguments;
    if (::geteuid() == 0)
        command = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")} + command;
    QProcess run;
    run.setWorkingDirectory(dir);
    run.start(::geteuid() == 0 ? QStringLiteral("runuser") : command.takeFirst(), command);
    return run.waitForFinished(30000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

// The rows as a new connection sees them (the sandbox's own one died with the server).
int freshRowCount()
{
    db::Connection connection;
    connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
    return queryRows(connection, QStringLiteral("select count(*) from idlist")).value(0).value(0).toInt();
}

class DatabaseGone : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_state = QDir::tempPath() + QStringLiteral("/ringvane-faults-pg-%1.state")
                                         .arg(QCoreApplication::applicationPid());
        s_started = QProcess::execute(QStringLiteral("sh"), {QStringLiteral(RINGVANE_PG_SCRIPT),
                                                             QStringLiteral("start"), s_state}) == 0;
        // The sandbox takes this server instead of starting or sharing another.
        qputenv("RINGVANE_PG_STATE", QFile::encodeName(s_state));
    }
    static void TearDownTestSuite()
    {
        QProcess::execute(QStringLiteral("sh"), {QStringLiteral(RINGVANE_PG_SCRIPT), QStringLiteral("stop"), s_state});
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_started) << "no throwaway PostgreSQL server";
        OdbcSandbox::instance().resetCallLog();
        ASSERT_TRUE(rig.linked);
    }

    static QString s_state;
    static bool s_started;
    WindowRig rig;
};

QString DatabaseGone::s_state;
bool DatabaseGone::s_started = false;

} // namespace

TEST_F(DatabaseGone, CallsDuringAServerRestartAreEachStoredOnceByEveryInstance)
{
    ASSERT_TRUE(rig.start());
    // A second instance on the same log (another line, another site), with a spool of
    // its own since the window's holds the first.
    CallRecorder other;
    other.start({});
    auto otherCall = [&](const char *number) {
        QString text = QString::fromLatin1(reportBytes(number));
        other.decode(text, QStringLiteral("/"), QStringLiteral(":"));
    };
    rig.sim->send(reportBytes("5550100"));
    otherCall("5559100");
    ASSERT_TRUE(eventually([&] { return freshRowCount() == 2; }));

    const QString server = serverDir(s_state);
    ASSERT_TRUE(pgCtl(server, {QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}));
    for (const QByteArray number : {"5550101", "5550102", "5550103"})
        rig.sim->send(reportBytes(number));
    otherCall("5559101");
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 4; }, 30000))
        << "calls are listed with the server gone";
    ASSERT_TRUE(eventually([&] { return !rig.window->lstCID->item(3)->toolTip().isEmpty(); }, 15000));
    EXPECT_EQ(rig.window->callRecorder().waitingCount(), 3);
    EXPECT_TRUE(rig.window->lblTip->text().endsWith(
        QStringLiteral("kept and will be saved when the call log is back")));
    EXPECT_EQ(rig.window->lblTipForeColor(), 0x0000FFu);
    EXPECT_TRUE(rig.log().contains(QStringLiteral("Waiting: [")));
    // The day view does not wait for the server either: the list stays, the tip says why.
    rig.window->brToday_Click();
    EXPECT_EQ(rig.window->lstCID->count(), 4);
    EXPECT_TRUE(rig.window->lblTip->text().startsWith(QStringLiteral("The call log is unavailable: ")))
        << rig.window->lblTip->text().toStdString();

    ASSERT_TRUE(pgCtl(server, {QStringLiteral("-l"), server + QStringLiteral("/server.log"),
                               QStringLiteral("-o"),
                               QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' "
                                              "-c port=5432 -c fsync=off -c max_connections=30")
                                   .arg(server),
                               QStringLiteral("start")}));
    for (const QByteArray number : {"5550104", "5550105", "5550106"})
        rig.sim->send(reportBytes(number));
    otherCall("5559102");

    // Nobody does anything: the writers find the server again within their back-off.
    QStringList want;
    for (int i = 100; i <= 106; ++i)
        want << QStringLiteral("555%1|1").arg(i, 4, 10, QLatin1Char('0'));
    for (int i = 100; i <= 102; ++i)
        want << QStringLiteral("5559%1|1").arg(i);
    auto counts = [] {
        db::Connection connection;
        connection.Open(QStringLiteral("DSN=CallerID;ODBC;"), {}, {}, -1);
        QStringList out;
        for (const QVariantList &row : queryRows(connection, QStringLiteral(
                 "select number, count(*) from idlist group by number order by number")))
            out << row[0].toString() + QLatin1Char('|') + row[1].toString();
        return out;
    };
    QStringList got;
    EXPECT_TRUE(eventually([&] {
        try {
            got = counts();
        } catch (const Failure &) {
        }
        return got.size() >= want.size();
    }, 75000));
    EXPECT_EQ(got, want) << "every call stored once";
    ASSERT_TRUE(eventually([&] { return rig.window->callRecorder().waitingCount() == 0; }));
    EXPECT_TRUE(rig.window->lblTip->text().startsWith(QStringLiteral("The call log is back: ")))
        << rig.window->lblTip->text().toStdString();
    EXPECT_TRUE(rig.window->lstCID->item(1)->toolTip().isEmpty());
    // Back, the day view reads the log again, over a connection of its own made anew.
    ASSERT_TRUE(eventually([] { return TAPI::connection().State() == db::adStateOpen; }));
    rig.window->brToday_Click();
    EXPECT_EQ(rig.window->lstCID->count(), 10) << "both instances' calls of the day";
}

TEST_F(DatabaseGone, ACallWhoseCommitWentUnansweredIsInTheLogOnce)
{
    // The commit of the call "SLOW" takes two seconds; its connection is cut meanwhile, so
    // the writer cannot know whether the row made it, and counts.
    db::Connection &admin = OdbcSandbox::instance().admin();
    admin.Execute(QStringLiteral(
        "CREATE FUNCTION slow_commit() RETURNS trigger AS $$ BEGIN PERFORM pg_sleep(2); "
        "RETURN NULL; END $$ LANGUAGE plpgsql"));
    admin.Execute(QStringLiteral(
        "CREATE CONSTRAINT TRIGGER slow_commit AFTER INSERT ON idlist DEFERRABLE INITIALLY "
        "DEFERRED FOR EACH ROW WHEN (NEW.number = 'SLOW') EXECUTE FUNCTION slow_commit()"));
    CallRecorder recorder;
    recorder.start({});
    bool stored = false;
    QObject::connect(&recorder, &CallRecorder::callsStored, [&] { stored = true; });
    QString text = QString::fromLatin1(reportBytes("SLOW"));
    recorder.decode(text, QStringLiteral("/"), QStringLiteral(":"));

    const QString committing = QStringLiteral(
        "select pid from pg_stat_activity where state = 'active' and query ilike 'commit%'");
    QVariant pid;
    ASSERT_TRUE(eventually([&] {
        pid = queryRows(admin, committing).value(0).value(0);
        return pid.isValid() && !pid.isNull();
    }, 5000));
    admin.Execute(QStringLiteral("select pg_terminate_backend(CAST(? AS integer))"), {pid});

    ASSERT_TRUE(eventually([&] { return stored; }, 20000));
    EXPECT_EQ(queryRows(admin, QStringLiteral("select count(*) from idlist where number = 'SLOW'"))
                  .value(0)
                  .value(0)
                  .toInt(),
              1);
}
