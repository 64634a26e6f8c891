#include "tests/modem/ModemHive.h"
#include "tests/registry/RegistryFixture.h"
#include "tests/serial/SimThread.h"

#include "platform/Comm.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "failure/Failure.h"
#include "locale/LocaleDates.h"
#include "tests/support/LocaleScope.h"
#include "shell/ReceiveLogView.h"
#include "calllog/TAPI.h"
#include "platform/linux/TtyComm.h"
#include "picturebutton/btn.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>

#include <grp.h>
#include <unistd.h>

#include <memory>

using namespace modemhive;

namespace {

const QByteArray kCommands = "ATZ\rats0=0\rAT#CID=1\r";

// The window over a hive of the test's own, its COM4 and COM5 being line simulators
// reached through symlinks, so a simulator can be replaced under the same name.
class MonitoringTest : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        TAPI::InitParityLetters();
        sim = std::make_unique<SimThread>();
        sim5 = std::make_unique<SimThread>();
        link4 = m_dir.filePath(QStringLiteral("modem4"));
        link5 = m_dir.filePath(QStringLiteral("modem5"));
        ASSERT_TRUE(sim->call([&](LineSimulator &s) { return s.linkTo(link4); }));
        ASSERT_TRUE(sim5->call([&](LineSimulator &s) { return s.linkTo(link5); }));
    }

    void useModems(const QList<Modem> &modems, const QByteArray &more = {})
    {
        QByteArray text = header() + portMapText({{link4, "COM4"},
                                                  {link5, "COM5"},
                                                  {m_dir.filePath(QStringLiteral("absent")), "COM9"}});
        for (const Modem &m : modems)
            text += modemText(m);
        useRegistry(text + more);
    }

    static Modem modemOn(const QByteArray &port, const QByteArray &key = "0000")
    {
        Modem m;
        m.key = key;
        m.attachedTo = port;
        return m;
    }

    // The receive log's lines, the break after the last one dropped.
    static QStringList logLines(const frmMain &w)
    {
        QStringList lines = w.RcvText->toPlainText().split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    void expectReport(const frmMain &w, const QString &message, const QString &detail,
                      const QStringList &extra = {})
    {
        EXPECT_EQ(w.strTip, message);
        EXPECT_EQ(w.lblTip->text(), message);
        EXPECT_EQ(w.lblTipForeColor(), 0x8080FFu);
        const QStringList lines = logLines(w);
        const QStringList expected =
            QStringList{dates::formatGeneralDate(clock.now()), message, detail} + extra;
        ASSERT_GE(lines.size(), expected.size());
        EXPECT_EQ(lines.mid(lines.size() - expected.size()), expected);
    }

    bool simGot(SimThread &s, const QByteArray &bytes)
    {
        return eventually([&] { return s.received() == bytes; });
    }

    LocaleScope locale{"C.UTF-8"};
    FakeClock clock;
    std::unique_ptr<SimThread> sim;
    std::unique_ptr<SimThread> sim5;
    QString link4;
    QString link5;
};

} // namespace

TEST_F(MonitoringTest, AUsableModemGetsItsThreeCommandsInOrder)
{
    Modem m = modemOn("COM4");
    m.dcb = dcbBytes(19200, 8, 0, 2);
    useModems({m});
    frmMain w(nullptr, clock);
    w.ShowTip(QStringLiteral("System initialization..."), Tip::Good, false);
    w.FillModemList();

    EXPECT_EQ(w.cboMODEM->count(), 1);
    EXPECT_EQ(w.cboMODEM->currentIndex(), 0);
    EXPECT_EQ(w.Power->Value(), 1);
    EXPECT_TRUE(w.Power->Enabled());
    EXPECT_EQ(w.Power->face(), w.Power->DownPicture());
    EXPECT_TRUE(w.comm->PortOpen());
    EXPECT_EQ(w.comm->CommPort(), 4);
    EXPECT_EQ(w.comm->Settings(), QStringLiteral("19200,N,8,2"));
    EXPECT_EQ(w.strTip, QString());
    ASSERT_TRUE(simGot(*sim, kCommands)) << sim->received().toStdString();
    EXPECT_EQ(sim->commands(), (QStringList{QStringLiteral("ATZ"), QStringLiteral("ats0=0"),
                                            QStringLiteral("AT#CID=1")}));
    EXPECT_TRUE(sim->call([](LineSimulator &s) { return s.lineSettings(); }).startsWith(u"19200,"));
    // The modem's echo comes in through the receive path afterwards.
    EXPECT_TRUE(eventually([&] { return w.RcvText->toPlainText().contains(QLatin1String("OK")); }));
}

TEST_F(MonitoringTest, AMissingInitValueSendsALoneCr)
{
    Modem m = modemOn("com4");
    m.init = QByteArray();
    m.cid = "at#cid=1<cr>at+vcid=1";
    useModems({m});
    frmMain w(nullptr, clock);
    w.FillModemList();
    EXPECT_EQ(w.strInitCommand, QStringLiteral("\r"));
    ASSERT_TRUE(simGot(*sim, "\rats0=0\rat#cid=1\r")) << sim->received().toStdString();
}

TEST_F(MonitoringTest, TheChooserKeepsTheRegistryOrderAndSelectsTheFirst)
{
    Modem zeta = modemOn("COM5", "0000");
    zeta.model = "Zeta";
    Modem alpha = modemOn("COM4", "0001");
    alpha.model = "Alpha";
    useModems({zeta, alpha});
    frmMain w(nullptr, clock);
    w.FillModemList();
    EXPECT_FALSE(w.cboMODEM->isEditable());
    ASSERT_EQ(w.cboMODEM->count(), 2);
    EXPECT_EQ(w.cboMODEM->itemText(0), QStringLiteral("Zeta"));
    EXPECT_EQ(w.cboMODEM->itemText(1), QStringLiteral("Alpha"));
    EXPECT_EQ(w.strModemKeys, (QStringList{QString(), QStringLiteral("0000"), QStringLiteral("0001")}));
    ASSERT_TRUE(simGot(*sim5, kCommands));

    // Choosing the other modem while monitoring moves the port over to it.
    w.cboMODEM->setCurrentIndex(1);
    Q_EMIT w.cboMODEM->activated(1);
    EXPECT_EQ(w.comm->CommPort(), 4);
    EXPECT_TRUE(w.comm->PortOpen());
    ASSERT_TRUE(simGot(*sim, kCommands));
    EXPECT_EQ(sim5->received(), kCommands);
    // COM5 is free again: another program can open it now.
    TtyComm other([&](int) { return link5; });
    EXPECT_NO_THROW(other.setPortOpen(true));
}

TEST_F(MonitoringTest, NoModemsLeavesTheSwitchOff)
{
    useModems({});
    frmMain w(nullptr, clock);
    w.FillModemList();
    EXPECT_EQ(w.cboMODEM->count(), 0);
    EXPECT_EQ(w.Power->Value(), 0);
    EXPECT_FALSE(w.comm->PortOpen());
    EXPECT_EQ(w.RcvText->toPlainText(), QString());
}

TEST_F(MonitoringTest, ClicksSwitchOffWithoutSendingAndOnAgain)
{
    useModems({modemOn("COM4")});
    frmMain w(nullptr, clock);
    w.show();
    w.FillModemList();
    ASSERT_TRUE(simGot(*sim, kCommands));
    sim->call([](LineSimulator &s) { s.clearReceived(); });

    QTest::mouseClick(w.Power, Qt::LeftButton);
    EXPECT_EQ(w.Power->Value(), 0);
    EXPECT_FALSE(w.comm->PortOpen());
    QTest::qWait(200);
    EXPECT_EQ(sim->received(), QByteArray());

    QTest::mouseClick(w.Power, Qt::LeftButton);
    EXPECT_EQ(w.Power->Value(), 1);
    EXPECT_TRUE(w.comm->PortOpen());
    ASSERT_TRUE(simGot(*sim, kCommands));
}

TEST_F(MonitoringTest, ConfigurationReports)
{
    struct Case
    {
        const char *name;
        Modem modem;
        QByteArray more;
        QString message;
        QString detail;
    };
    const QString badConfig = QStringLiteral("The configuration of modem is not correct\uFF01");
    const QString badConfigDetail = QStringLiteral("Please firstly check your modem configuration.");
    const QString noCid = QStringLiteral("your modem don't support ringvane\uFF01");
    const QString noCidDetail = QStringLiteral("Sorry,your modem don't support ringvane!");

    Modem none = modemOn({});
    Modem lpt = modemOn({});
    lpt.matchingDeviceId = "mdm1";
    Modem noInstances = modemOn({});
    noInstances.matchingDeviceId = "mdm1";
    Modem notCom = modemOn("LPT1");
    Modem cidMissing = modemOn("COM4");
    cidMissing.cid = QByteArray();
    Modem cidNotAt = modemOn("COM4");
    cidNotAt.cid = "#CID=1";

    const Case cases[] = {
        {"no port, no id", none, {}, badConfig, badConfigDetail},
        {"id whose port is not COM", lpt, enumText("mdm1", {{"0", "LPT1"}}), badConfig, badConfigDetail},
        {"id without instances", noInstances, enumText("mdm1", {}), badConfig, badConfigDetail},
        {"attached to a port that is not COM", notCom, {}, badConfig, badConfigDetail},
        {"caller-ID command missing", cidMissing, {}, noCid, noCidDetail},
        {"caller-ID command not AT", cidNotAt, {}, noCid, noCidDetail},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        useModems({c.modem}, c.more);
        frmMain w(nullptr, clock);
        w.Power->Enabled(false);
        w.FillModemList();
        expectReport(w, c.message, c.detail);
        EXPECT_EQ(logLines(w).size(), 3);
        EXPECT_TRUE(w.Power->Enabled());
        EXPECT_EQ(w.Power->Value(), 0);
        EXPECT_FALSE(w.comm->PortOpen());
    }
    EXPECT_EQ(sim->received(), QByteArray());
}

TEST_F(MonitoringTest, AMissingDeviceIsReported)
{
    useModems({modemOn("COM9")});
    frmMain w(nullptr, clock);
    w.FillModemList();
    expectReport(w, QStringLiteral("Modem haven't been installed properly"),
                 QStringLiteral("Please firstly make sure your modem is installed correctly."));
    EXPECT_EQ(logLines(w).size(), 3);
    EXPECT_EQ(w.Power->Value(), 0);
    EXPECT_FALSE(w.comm->PortOpen());
}

TEST_F(MonitoringTest, APortHeldByAnotherProgramIsReported)
{
    useModems({modemOn("COM4")});
    TtyComm holder([&](int) { return link4; });
    holder.setPortOpen(true);
    ASSERT_TRUE(holder.PortOpen());

    frmMain w(nullptr, clock);
    w.FillModemList();
    expectReport(w, QStringLiteral("Sorry , I couldn't use the modem"),
                 QStringLiteral("Maybe other applications are using the modem now."));
    EXPECT_EQ(logLines(w).size(), 3);
    EXPECT_EQ(w.Power->Value(), 0);
    EXPECT_FALSE(w.comm->PortOpen());
}

TEST_F(MonitoringTest, ADeviceWithoutPermissionSaysWhatToDo)
{
    // As root no real device refuses us, so the refusal is scripted; the device the
    // port stands for is a file of the group the user would have to join.
    const QString device = m_dir.filePath(QStringLiteral("ttyUSB0"));
    QFile(device).open(QIODevice::WriteOnly);
    const group *dialout = ::getgrnam("dialout");
    const bool chowned = dialout && ::chown(QFile::encodeName(device).constData(), ::getuid(), dialout->gr_gid) == 0;
    useRegistry(header() + portMapText({{device, "COM4"}}) + modemText(modemOn("COM4")));

    auto *fake = new FakeComm;
    fake->failNextOpen(ErrorNumber::PortAlreadyOpen, QStringLiteral("Permission denied"), true);
    frmMain w(fake, clock);
    w.FillModemList();
    expectReport(w, QStringLiteral("Sorry , I couldn't use the modem"),
                 QStringLiteral("Maybe other applications are using the modem now."),
                 {logLines(w).value(3)});
    const QStringList lines = logLines(w);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[3].contains(QLatin1String("Permission denied"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[3].contains(device)) << lines[3].toStdString();
    if (chowned) {
        EXPECT_TRUE(lines[3].contains(QLatin1String("group \"dialout\" may: add yourself with \"sudo adduser $USER dialout\"")))
            << lines[3].toStdString();
    }
    EXPECT_EQ(w.Power->Value(), 0);
    EXPECT_FALSE(fake->calls.contains(QStringLiteral("Output=ats0=0\r")));
}

TEST_F(MonitoringTest, AModemThatGoesAwayIsReportedAndComesBack)
{
    useModems({modemOn("COM4")});
    frmMain w(nullptr, clock);
    w.FillModemList();
    ASSERT_TRUE(simGot(*sim, kCommands));

    sim->call([](LineSimulator &s) { s.closeMaster(); });
    ASSERT_TRUE(eventually([&] { return w.Power->Value() == 0; }));
    EXPECT_FALSE(w.comm->PortOpen());
    expectReport(
        w, QStringLiteral("The modem has gone away"),
        QStringLiteral(
            "Monitoring is off until the modem is connected again; then it resumes by itself."));

    // Plugged in again (a new device under the same name): switching on reopens it.
    sim = std::make_unique<SimThread>();
    ASSERT_TRUE(sim->call([&](LineSimulator &s) { return s.linkTo(link4); }));
    w.Power->Value(1);
    w.Power_Click();
    EXPECT_TRUE(w.comm->PortOpen());
    ASSERT_TRUE(simGot(*sim, kCommands));
}

TEST_F(MonitoringTest, AFailedSelectionLeavesTheOpenPortOpen)
{
    Modem good = modemOn("COM4", "0000");
    Modem bad = modemOn({}, "0001");
    useModems({good, bad});
    frmMain w(nullptr, clock);
    w.FillModemList();
    ASSERT_TRUE(simGot(*sim, kCommands));

    w.cboMODEM->setCurrentIndex(1);
    Q_EMIT w.cboMODEM->activated(1);
    expectReport(w, QStringLiteral("The configuration of modem is not correct\uFF01"),
                 QStringLiteral("Please firstly check your modem configuration."));
    EXPECT_TRUE(w.comm->PortOpen());
    EXPECT_EQ(w.comm->CommPort(), 4);
    EXPECT_EQ(w.Power->Value(), 1);
}

TEST_F(MonitoringTest, SettingsThatCannotBeSetKeepTheOldOnesAndTheCommandsGo)
{
    Modem fast = modemOn("COM4", "0000");
    fast.dcb = dcbBytes(19200, 8, 0, 0);
    Modem oddParity = modemOn("COM4", "0001");
    oddParity.dcb = dcbBytes(2400, 8, 5, 0);
    Modem noDcb = modemOn("COM4", "0002");
    noDcb.dcb = QByteArray();
    useModems({fast, oddParity, noDcb});
    frmMain w(nullptr, clock);
    w.FillModemList();
    ASSERT_TRUE(simGot(*sim, kCommands));

    for (int index : {1, 2}) {
        SCOPED_TRACE(index);
        sim->call([](LineSimulator &s) { s.clearReceived(); });
        w.cboMODEM->setCurrentIndex(index);
        Q_EMIT w.cboMODEM->activated(index);
        EXPECT_TRUE(w.comm->PortOpen());
        EXPECT_EQ(w.comm->Settings(), QStringLiteral("19200,N,8,1"));
        EXPECT_TRUE(sim->call([](LineSimulator &s) { return s.lineSettings(); }).startsWith(u"19200,"));
        EXPECT_EQ(w.strTip, QString());
        ASSERT_TRUE(simGot(*sim, kCommands));
    }
    // The modem without a DCB kept the previous modem's.
    EXPECT_EQ(w.dcbModem, dcbBytes(2400, 8, 5, 0));
}

TEST_F(MonitoringTest, ARejectedPortNumberDoesNotLeaveAnotherPortOpen)
{
    // The component keeps its previous number (4) when 0 is refused; the switch reports
    // the modem as not installed and must not stay on that other device.
    useModems({modemOn("COM4", "0000"), modemOn("COM0", "0001")});
    frmMain w(nullptr, clock);
    w.FillModemList();
    ASSERT_TRUE(simGot(*sim, kCommands));
    sim->call([](LineSimulator &s) { s.clearReceived(); });

    w.cboMODEM->setCurrentIndex(1);
    Q_EMIT w.cboMODEM->activated(1);
    expectReport(w, QStringLiteral("Modem haven't been installed properly"),
                 QStringLiteral("Please firstly make sure your modem is installed correctly."));
    EXPECT_EQ(w.Power->Value(), 0);
    EXPECT_FALSE(w.comm->PortOpen());
    QTest::qWait(200);
    EXPECT_EQ(sim->received(), QByteArray());
}

TEST_F(MonitoringTest, FailingCommandsAreSkippedOneByOne)
{
    useModems({modemOn("COM4")});
    auto *fake = new FakeComm;
    fake->failOutput = true;
    frmMain w(fake, clock);
    w.FillModemList();
    EXPECT_EQ(w.Power->Value(), 1);
    const QStringList outputs = fake->calls.filter(QRegularExpression(QStringLiteral("^Output=")));
    EXPECT_EQ(outputs, (QStringList{QStringLiteral("Output=ATZ\r"), QStringLiteral("Output=ats0=0\r"),
                                    QStringLiteral("Output=AT#CID=1\r")}));
    EXPECT_EQ(fake->calls.first(), QStringLiteral("Settings=9600,N,8,1"));
    EXPECT_EQ(fake->calls.mid(1, 2), (QStringList{QStringLiteral("CommPort=4"), QStringLiteral("PortOpen=1")}));
}
