// The call log on PostgreSQL and its server stopped while monitoring. The test runs its
// own throwaway server (not the one the call-log tests share), since it stops it. The
// window runs in this process so its list and receive log can be read.
#include "TestHelpers.h"
#include "WindowRig.h"

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

TEST_F(DatabaseGone, CallsAreStillListedAndEachLostStoreIsReportedWithTheCall)
{
    ASSERT_TRUE(rig.start());
    rig.sim->send(reportBytes("5550100"));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 1; }));
    ASSERT_EQ(OdbcSandbox::instance().rowCount(), 1);

    const QString server = serverDir(s_state);
    ASSERT_TRUE(pgCtl(server, {QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")}));

    for (const QByteArray number : {"5550101", "5550102", "5550103"})
        rig.sim->send(reportBytes(number));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 4; }, 30000))
        << "calls are listed with the server gone";
    EXPECT_EQ(rig.window->lblTipForeColor(), 0x0000FFu);
    for (const char *number : {"5550101", "5550102", "5550103"}) {
        EXPECT_TRUE(rig.log().contains(QStringLiteral("] ") + QLatin1String(number)))
            << number << " is not in the receive log";
    }
    EXPECT_EQ(rig.log().count(QStringLiteral("Not saved: [")), 3)
        << "each failed store is reported";

    // Back again: the program does not reconnect, so every later call is still listed and
    // reported as not saved rather than lost without a word.
    ASSERT_TRUE(pgCtl(server, {QStringLiteral("-l"), server + QStringLiteral("/server.log"),
                               QStringLiteral("-o"),
                               QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' "
                                              "-c port=5432 -c fsync=off -c max_connections=30")
                                   .arg(server),
                               QStringLiteral("start")}));
    rig.sim->send(reportBytes("5550104"));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 5; }, 30000));
    const int stored = freshRowCount() - 1;
    const int reported = rig.log().count(QStringLiteral("Not saved: [")) - 3;
    EXPECT_EQ(stored + reported, 1) << "the call after the restart was neither stored nor reported";
    std::printf("after the restart the call was %s\n", stored ? "stored" : "reported as not saved");
    EXPECT_EQ(rig.window->lstCID->count(), 5);
}
