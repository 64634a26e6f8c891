#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The newcomer's demo, started the way the run command starts it after building.
TEST(Demo, RunsASimulatedModemWithoutTouchingTheUsersFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString odbcIni = dir.filePath(QStringLiteral("home/.odbc.ini"));
    const QString registry = dir.filePath(QStringLiteral("home/.config/ringvane/registry.reg"));
    writeFile(odbcIni, "[CallerID]\nDriver=SQLite3\nDatabase=" +
                           dir.filePath(QStringLiteral("users-own.db")).toUtf8() + "\n");
    writeFile(registry, "REGEDIT4\n\n; no modem here yet\n");
    const QByteArray odbcBefore = digest(odbcIni);
    const QByteArray registryBefore = digest(registry);
    const QString tmp = dir.filePath(QStringLiteral("tmp"));
    QDir().mkpath(tmp);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("ODBCINI"), odbcIni);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("home/.local/share")));
    env.insert(QStringLiteral("TMPDIR"), tmp);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("RINGVANE_BUILD"), QStringLiteral(RINGVANE_BINARY_DIR));
    env.insert(QStringLiteral("RINGVANE_SKIP_FIND_MODEMS"), QStringLiteral("1"));
    env.remove(QStringLiteral("RINGVANE_REGISTRY"));

    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.setProcessChannelMode(QProcess::MergedChannels);
    // Its own session, so that the script, the simulator and the program end together.
    demo.start(QStringLiteral("setsid"),
               {QStringLiteral("bash"), QStringLiteral(RINGVANE_SOURCE_DIR "/scripts/start.sh")});
    ASSERT_TRUE(demo.waitForStarted(10000));

    // The program opened the simulated modem: the simulator logged its three commands.
    QString commandsLog;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        const QStringList demos = QDir(tmp).entryList({QStringLiteral("ringvane-demo.*")}, QDir::Dirs);
        if (!demos.isEmpty()) {
            QFile log(QDir(tmp).filePath(demos.first() + QStringLiteral("/commands.log")));
            if (log.open(QIODevice::ReadOnly))
                commandsLog = QString::fromUtf8(log.readAll());
        }
        if (commandsLog.count(QLatin1Char('\n')) >= 3)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    // Each command after the time it came; a line without one stays whole and fails.
    const QRegularExpression time(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3} )"),
                                  QRegularExpression::MultilineOption);
    EXPECT_EQ(QString(commandsLog).remove(time), QStringLiteral("ATE1V1Q0\nats0=0\nAT+VCID=1\n"))
        << commandsLog.toStdString() << demo.readAll().toStdString();

    ::kill(-pid_t(demo.processId()), SIGTERM);
    ASSERT_TRUE(demo.waitForFinished(15000));
    const QString output = QString::fromUtf8(demo.readAll());
    EXPECT_TRUE(output.contains(QStringLiteral("demo mode"))) << output.toStdString();

    EXPECT_EQ(digest(odbcIni), odbcBefore);
    EXPECT_EQ(digest(registry), registryBefore);
    EXPECT_TRUE(QDir(tmp).entryList({QStringLiteral("ringvane-demo.*")}, QDir::Dirs).isEmpty())
        << "the demo cleans up after itself";
}

} // namespace
