#include "tools/findmodems/FindModems.h"
#include "tools/findmodems/ModemRegistry.h"
#include "tools/findmodems/ModemProbe.h"
#include "modem/RegistryAccess.h"
#include "platform/RegistryFile.h"
#include "platform/SerialPortMap.h"
#include "tests/serial/SimThread.h"
#include "platform/linux/TtyComm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kModemKey = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem\\");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The rule Ringvane applies to a modem's DCB to get the serial settings text.
QString settingsText(const QByteArray &dcb)
{
    if (dcb.size() < 28 || uchar(dcb[19]) > 4)
        return {};
    static const char *const parity[] = {"N", "O", "E", "M", "S"};
    return QStringLiteral("%1,%2,%3,%4")
        .arg(qFromLittleEndian<quint32>(dcb.constData() + 4))
        .arg(QLatin1String(parity[uchar(dcb[19])]))
        .arg(int(uchar(dcb[18])))
        .arg(uchar(dcb[20]) / 2.0 + 1);
}

enum class Kind { Vcid, CidOnly, NoCallerId, Silent, Held };

class FindModemsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.registryPath = m_dir.filePath(QStringLiteral("config/ringvane/registry.reg"));
        m_options.systemRegistryPath = m_dir.filePath(QStringLiteral("etc/registry.reg"));
        m_options.paths.byId = m_dir.filePath(QStringLiteral("by-id"));
        m_options.paths.proc = m_dir.filePath(QStringLiteral("proc"));
        m_options.paths.udevData = m_dir.filePath(QStringLiteral("udev"));
        m_options.timings.answerMs = 400;
        m_options.timings.retryMs = 150;
        m_options.timings.speeds = {9600, 19200};
        QDir().mkpath(m_options.paths.byId);
        m_savedRegistry = qgetenv("RINGVANE_REGISTRY");
    }
    void TearDown() override
    {
        qputenv("RINGVANE_REGISTRY", m_savedRegistry);
        if (m_savedRegistry.isEmpty())
            qunsetenv("RINGVANE_REGISTRY");
        registry::reloadRegistry();
    }

    // A simulated device on its own pty, with a stable name in our by-id folder.
    SimThread &addSim(Kind kind, const QString &stableName = {})
    {
        m_sims.push_back(std::make_unique<SimThread>());
        SimThread &sim = *m_sims.back();
        sim.call([kind](LineSimulator &s) {
            switch (kind) {
            case Kind::Vcid:
                s.setDeafAfterReset(700);
                s.setCallerIdCommands({QStringLiteral("+VCID")});
                s.setInformation("AT+GMM", "+GMM: 5637");
                s.setInformation("AT+GMI", "U.S. Robotics");
                break;
            case Kind::CidOnly:
                s.setDeafAfterReset(300);
                s.setCallerIdCommands({QStringLiteral("#CID")});
                s.setInformation("ATI", "Rockwell 56K");
                break;
            case Kind::NoCallerId:
                s.setCallerIdCommands({});
                s.setInformation("ATI", "Data Only 33600");
                break;
            case Kind::Silent:
                s.setSilent(true);
                break;
            case Kind::Held:
                break;
            }
        });
        if (!stableName.isEmpty()) {
            const QString link = m_options.paths.byId + u'/' + stableName;
            EXPECT_TRUE(sim.call([&](LineSimulator &s) { return s.linkTo(link); }));
        }
        return sim;
    }

    int run(const QStringList &devices)
    {
        m_options.devices = devices;
        m_output.clear();
        QTextStream out(&m_output);
        return findModems(m_options, out);
    }

    registry::Hive written() { return registry::parseRegistryText(readAll(m_options.registryPath)); }

    void useWrittenFile()
    {
        qputenv("RINGVANE_REGISTRY", m_options.registryPath.toUtf8());
        registry::reloadRegistry();
    }

    QTemporaryDir m_dir;
    FinderOptions m_options;
    QString m_output;
    std::vector<std::unique_ptr<SimThread>> m_sims;
    QByteArray m_savedRegistry;
};

TEST_F(FindModemsTest, EachKindOfDeviceIsToldApartAndOnlyCallerIdModemsAreRegistered)
{
    SimThread &vcid = addSim(Kind::Vcid, QStringLiteral("usb-USR_5637-if00"));
    SimThread &cid = addSim(Kind::CidOnly);
    SimThread &none = addSim(Kind::NoCallerId);
    SimThread &silent = addSim(Kind::Silent);
    SimThread &held = addSim(Kind::Held);
    TtyComm holder([&](int) { return held.path(); });
    holder.setCommPort(1);
    holder.setPortOpen(true);
    ASSERT_TRUE(holder.PortOpen());

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run({vcid.path(), cid.path(), none.path(), silent.path(), held.path()}), 0);
    EXPECT_LT(clock.elapsed(), 15000);
    holder.setPortOpen(false);

    const QString out = m_output;
    const QString vcidLink = m_options.paths.byId + QStringLiteral("/usb-USR_5637-if00");
    EXPECT_TRUE(out.contains(QStringLiteral("%1 (%2): \"U.S. Robotics 5637\" answers at 9600 bit/s "
                                            "and reports caller ID (AT+VCID=1)")
                                 .arg(vcid.path(), vcidLink)))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\"Rockwell 56K\" answers at 9600 bit/s and reports caller ID (AT#CID=1)")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(none.path() + QStringLiteral(": \"Data Only 33600\" is a modem that cannot report caller ID")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(silent.path() + QStringLiteral(": nothing answered like a modem")));
    EXPECT_TRUE(out.contains(held.path() + QStringLiteral(": in use by another program")));
    EXPECT_TRUE(silent.commands().isEmpty());
    EXPECT_TRUE(held.commands().isEmpty());

    // Each registered modem ended on Ringvane's own three commands, all taken; no reset in
    // the init, so nothing was lost to a deaf period.
    for (SimThread *sim : {&vcid, &cid}) {
        const QStringList commands = sim->commands();
        ASSERT_GE(commands.size(), 3);
        const QStringList last = commands.mid(commands.size() - 3);
        EXPECT_EQ(last[0], QStringLiteral("ATE1V1Q0"));
        EXPECT_EQ(last[1], QStringLiteral("ats0=0"));
        EXPECT_TRUE(last[2] == QStringLiteral("AT+VCID=1") || last[2] == QStringLiteral("AT#CID=1"));
    }

    // What Ringvane reads from the file.
    useWrittenFile();
    QStringList modems;
    EnumRegSubKeys(kModemKey, modems);
    ASSERT_EQ(modems, QStringList({"", "0000", "0001"}));
    const struct
    {
        QString key, model, port, device, callerId;
    } expected[] = {
        {"0000", "U.S. Robotics 5637", "COM1", vcidLink, "AT+VCID=1<cr>"},
        {"0001", "Rockwell 56K", "COM2", cid.path(), "AT#CID=1<cr>"},
    };
    for (const auto &e : expected) {
        SCOPED_TRACE(e.key.toStdString());
        const QString m = kModemKey + e.key;
        EXPECT_EQ(GetRegString(m + QStringLiteral("\\Model")), e.model);
        EXPECT_EQ(GetRegString(m + QStringLiteral("\\AttachedTo")), e.port);
        EXPECT_EQ(GetRegString(m + QStringLiteral("\\EnableCallerID\\1")), e.callerId);
        EXPECT_EQ(GetRegString(m + QStringLiteral("\\Settings\\Init\\1")), QStringLiteral("ATE1V1Q0<cr>"));
        const QByteArray dcb = GetRegBinary(m + QStringLiteral("\\DCB"));
        ASSERT_EQ(dcb.size(), 28);
        EXPECT_EQ(qFromLittleEndian<quint32>(dcb.constData()), 28u);
        EXPECT_EQ(dcb[8] & 1, 1); // binary mode
        EXPECT_EQ(settingsText(dcb), QStringLiteral("9600,N,8,1"));
        EXPECT_EQ(serialDevicePath(e.port.mid(3).toInt()), e.device);
    }

    // Ringvane opens the registered port and the modem answers.
    TtyComm comm;
    comm.setCommPort(1);
    comm.setPortOpen(true);
    ASSERT_TRUE(comm.PortOpen());
    vcid.call([](LineSimulator &s) { s.clearReceived(); });
    comm.setOutput(QStringLiteral("ATE1V1Q0\r"));
    EXPECT_TRUE(eventually([&] { return vcid.commands().contains(QStringLiteral("ATE1V1Q0")); }));
}

TEST_F(FindModemsTest, RunningAgainKeepsEarlierEntriesHandEditsAndPortNumbers)
{
    SimThread &first = addSim(Kind::Vcid, QStringLiteral("usb-first"));
    ASSERT_EQ(run({first.path()}), 0);
    QByteArray text = readAll(m_options.registryPath);
    ASSERT_TRUE(text.contains("\"Model\"=\"U.S. Robotics 5637\""));
    text.replace("\"Model\"=\"U.S. Robotics 5637\"", "\"Model\"=\"Kitchen line\"");
    text.replace("\"1\"=\"ATE1V1Q0<cr>\"", "\"1\"=\"ATE1V1Q0S7=45<cr>\"");
    text.append("\n[HKEY_LOCAL_MACHINE\\Software\\Mine]\n\"Kept\"=\"yes\"\n");
    {
        QFile file(m_options.registryPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    const QByteArray edited = readAll(m_options.registryPath);

    // Nothing new: the file is left exactly as it is, the known modem not even probed.
    const qsizetype commandsBefore = first.commands().size();
    ASSERT_EQ(run({first.path()}), 0);
    EXPECT_TRUE(m_output.contains(QStringLiteral("already registered as COM1 (\"Kitchen line\")")))
        << m_output.toStdString();
    EXPECT_EQ(first.commands().size(), commandsBefore);
    EXPECT_EQ(readAll(m_options.registryPath), edited);

    SimThread &second = addSim(Kind::CidOnly, QStringLiteral("usb-second"));
    ASSERT_EQ(run({first.path(), second.path()}), 0);
    EXPECT_TRUE(m_output.contains(QStringLiteral("as COM2 (modem 0001)"))) << m_output.toStdString();
    EXPECT_EQ(readAll(m_options.registryPath + QStringLiteral(".bak")), edited);

    useWrittenFile();
    EXPECT_EQ(GetRegString(kModemKey + QStringLiteral("0000\\Model")), QStringLiteral("Kitchen line"));
    EXPECT_EQ(GetRegString(kModemKey + QStringLiteral("0000\\Settings\\Init\\1")),
              QStringLiteral("ATE1V1Q0S7=45<cr>"));
    EXPECT_EQ(GetRegString(kModemKey + QStringLiteral("0000\\AttachedTo")), QStringLiteral("COM1"));
    EXPECT_EQ(GetRegString(kModemKey + QStringLiteral("0001\\AttachedTo")), QStringLiteral("COM2"));
    EXPECT_EQ(GetRegString(QStringLiteral("Software\\Mine\\Kept")), QStringLiteral("yes"));
    EXPECT_EQ(serialDevicePath(1), m_options.paths.byId + QStringLiteral("/usb-first"));
    EXPECT_EQ(serialDevicePath(2), m_options.paths.byId + QStringLiteral("/usb-second"));
}

TEST_F(FindModemsTest, ANewFileStartsAsACopyOfTheSystemFile)
{
    QDir().mkpath(QFileInfo(m_options.systemRegistryPath).absolutePath());
    QFile system(m_options.systemRegistryPath);
    ASSERT_TRUE(system.open(QIODevice::WriteOnly));
    system.write("REGEDIT4\n\n"
                 "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\n"
                 "\"Model\"=\"Office modem\"\n\"AttachedTo\"=\"COM1\"\n\n"
                 "[HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm]\n\"/dev/ttyS0\"=\"COM1\"\n");
    system.close();

    SimThread &sim = addSim(Kind::Vcid);
    ASSERT_EQ(run({sim.path()}), 0);
    EXPECT_TRUE(m_output.contains(QStringLiteral("as a copy of ") + m_options.systemRegistryPath));
    useWrittenFile();
    EXPECT_EQ(GetRegString(kModemKey + QStringLiteral("0000\\Model")), QStringLiteral("Office modem"));
    EXPECT_EQ(GetRegString(kModemKey + QStringLiteral("0001\\AttachedTo")), QStringLiteral("COM2"));
    EXPECT_EQ(serialDevicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(serialDevicePath(2), sim.path());
}

TEST_F(FindModemsTest, AFileItCannotSafelyRewriteIsLeftAloneAndTheRunFails)
{
    SimThread &sim = addSim(Kind::CidOnly);
    const struct
    {
        const char *what;
        QByteArray content; // empty: the path is a folder
    } cases[] = {
        {"not a registry file", "my shopping list\nmilk\n"},
        {"a folder", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(QFileInfo(m_options.registryPath).absolutePath()).removeRecursively();
        QDir().mkpath(QFileInfo(m_options.registryPath).absolutePath());
        if (c.content.isEmpty()) {
            QDir().mkpath(m_options.registryPath);
        } else {
            QFile file(m_options.registryPath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        EXPECT_EQ(run({sim.path()}), 1);
        if (!c.content.isEmpty()) {
            EXPECT_EQ(readAll(m_options.registryPath), c.content);
        }
        EXPECT_TRUE(m_output.startsWith(QStringLiteral("Cannot"))) << m_output.toStdString();
    }
}

TEST_F(FindModemsTest, NothingToLookAtIsQuickAndQuiet)
{
    m_options.paths.sys = m_dir.filePath(QStringLiteral("empty-sys"));
    m_options.paths.dev = m_dir.filePath(QStringLiteral("empty-dev"));
    EXPECT_EQ(run({}), 0);
    EXPECT_TRUE(m_output.isEmpty());
    EXPECT_FALSE(QFile::exists(m_options.registryPath));
}

TEST_F(FindModemsTest, ModemManagerIsToldToLeaveTheModemAlone)
{
    QDir().mkpath(m_options.paths.proc + QStringLiteral("/733"));
    QFile comm(m_options.paths.proc + QStringLiteral("/733/comm"));
    ASSERT_TRUE(comm.open(QIODevice::WriteOnly));
    comm.write("ModemManager\n");
    comm.close();

    SimThread &sim = addSim(Kind::Vcid);
    ASSERT_EQ(run({sim.path()}), 0);
    const QString kernel = QFileInfo(sim.path()).fileName();
    EXPECT_TRUE(m_output.contains(QStringLiteral("ModemManager is running")));
    EXPECT_TRUE(m_output.contains(QStringLiteral("/etc/udev/rules.d/79-ringvane-modem.rules")));
    EXPECT_TRUE(m_output.contains(
        QStringLiteral("KERNEL==\"%1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"").arg(kernel)))
        << m_output.toStdString();
}

TEST_F(FindModemsTest, ADeviceThatTalksEndlesslyIsLeftAloneInBoundedTime)
{
    SimThread &chatty = addSim(Kind::Silent);
    chatty.send(QByteArray(300 * 1024, 'x'));
    QByteArray rings;
    for (int i = 0; i < 2000; ++i)
        rings += "\r\nRING\r\n";
    chatty.send(rings);
    QElapsedTimer clock;
    clock.start();
    const ProbeResult result = probeModem(chatty.path(), m_options.timings);
    EXPECT_EQ(result.outcome, ProbeResult::Outcome::NotAModem);
    EXPECT_LT(clock.elapsed(), 8000);
}

TEST(FindModemsCommand, WrongArgumentsFailAndNothingToFindSucceeds)
{
    const QString program =
        QStringLiteral(RINGVANE_BINARY_DIR "/ringvane-find-modems");
    QTemporaryDir dir;
    const struct
    {
        QStringList args;
        int exitCode;
    } cases[] = {
        {{QStringLiteral("--no-such-option")}, 2},
        {{QStringLiteral("stray")}, 2},
        {{QStringLiteral("--answer-timeout"), QStringLiteral("soon")}, 2},
        {{QStringLiteral("--device"), dir.filePath(QStringLiteral("nothing-here")), QStringLiteral("--registry"),
          dir.filePath(QStringLiteral("r.reg"))},
         0},
    };
    for (const auto &c : cases) {
        QProcess p;
        p.start(program, c.args);
        ASSERT_TRUE(p.waitForFinished(20000)) << c.args.join(' ').toStdString();
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("r.reg"))));
}

} // namespace

namespace {

// Why the init may not reset the modem: what follows it at Ringvane's pace is lost.
TEST(ModemDeafPeriod, CommandsSentRightAfterAResetAreLost)
{
    SimThread sim;
    sim.call([](LineSimulator &s) { s.setDeafAfterReset(700); });
    QSerialPort port(sim.path());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    for (const char *command : {"ATZ\r", "ats0=0\r", "AT+VCID=1\r"}) {
        port.write(command);
        port.waitForBytesWritten(1000);
        QThread::msleep(50);
    }
    QThread::msleep(100);
    EXPECT_EQ(sim.commands(), QStringList({"ATZ"}));
    EXPECT_TRUE(eventually([&] { return !sim.call([](LineSimulator &s) { return s.isDeaf(); }); }, 5000));
    port.write("AT+VCID=1\r");
    port.waitForBytesWritten(1000);
    EXPECT_TRUE(eventually([&] { return sim.commands().size() == 2; }, 5000));
}

} // namespace

TEST(PermissionAdvice, NamesAGroupOnlyWhenAUserMaySensiblyJoinIt)
{
    const struct
    {
        const char *group;
        bool joinGroup; // else: a udev rule giving the device to dialout
    } cases[] = {
        {"dialout", true}, {"uucp", true},   {"root", false}, {"0", false},
        {"disk", false},   {"shadow", false}, {"sudo", false}, {"adm", false}, {"", false},    {"1234", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.group);
        const QString advice = modem::groupAdvice(QStringLiteral("/dev/ttyS0"), QString::fromUtf8(c.group));
        const QString join = QStringLiteral("adduser $USER %1\"").arg(QString::fromUtf8(c.group));
        EXPECT_EQ(advice.contains(join), c.joinGroup) << advice.toStdString();
        EXPECT_EQ(advice.contains(QStringLiteral("reserved for the administrator")), !c.joinGroup);
        if (!c.joinGroup) {
            EXPECT_TRUE(advice.contains(QStringLiteral(
                "echo 'KERNEL==\"ttyS0\", GROUP=\"dialout\", MODE=\"0660\"' | sudo tee "
                "/etc/udev/rules.d/70-ringvane-modem.rules")))
                << advice.toStdString();
            EXPECT_TRUE(advice.contains(QStringLiteral("adduser $USER dialout\"")));
        }
    }
}
