#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "shell/ReceiveLogView.h"
#include "platform/RegistryFile.h"
#include "calllog/TAPI.h"
#include "picturebutton/btn.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// No data source and no modem: unixODBC and the registry read files this test owns.
class NoCallLogEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile(m_dir.filePath(QStringLiteral("odbc.ini"))).open(QIODevice::WriteOnly);
        qputenv("ODBCINI", m_dir.filePath(QStringLiteral("odbc.ini")).toUtf8());
        qputenv("RINGVANE_REGISTRY", m_dir.filePath(QStringLiteral("registry.reg")).toUtf8());
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("data")).toUtf8());
        registry::reloadRegistry();
    }

    QString registryFile() const { return m_dir.filePath(QStringLiteral("registry.reg")); }

private:
    QTemporaryDir m_dir;
};

auto *const kEnvironment = static_cast<NoCallLogEnvironment *>(
    ::testing::AddGlobalTestEnvironment(new NoCallLogEnvironment));

// One usable modem on COM1 for the tests that need the selection to succeed.
class UsableModem
{
public:
    UsableModem()
    {
        QFile file(kEnvironment->registryFile());
        file.open(QIODevice::WriteOnly);
        file.write("REGEDIT4\n\n"
                   "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\n"
                   "\"Model\"=\"Test modem\"\n\"AttachedTo\"=\"COM1\"\n\n"
                   "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000\\EnableCallerID]\n"
                   "\"1\"=\"AT+VCID=1\"\n");
        file.close();
        registry::reloadRegistry();
    }
    ~UsableModem()
    {
        QFile::remove(kEnvironment->registryFile());
        registry::reloadRegistry();
    }
};

class Startup : public ::testing::Test
{
protected:
    void TearDown() override
    {
        window.reset();
        TAPI::setDriverManager(QString::fromLatin1(db::DefaultDriverManager));
        TAPI::releaseConnection();
    }

    void load()
    {
        line = new FakeComm;
        window = std::make_unique<frmMain>(line, clock);
        window->Form_Load();
    }

    FakeClock clock;
    FakeComm *line = nullptr;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(Startup, WithoutDatabaseSupportSaysSoAndCarriesOn)
{
    TAPI::setDriverManager(QStringLiteral("libodbc-missing.so.2"));
    load();
    const QString text = QStringLiteral("Could not acquire the database support from your system");
    EXPECT_EQ(window->lblTip->text(), text);
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
    EXPECT_EQ(window->RcvText->toPlainText(), text + QLatin1Char('\n'));
    EXPECT_EQ(window->splash(), nullptr);
    EXPECT_EQ(TAPI::connection().State(), db::adStateClosed);
    EXPECT_EQ(window->cboMODEM->count(), 0);
    EXPECT_FALSE(line->PortOpen());
}

TEST_F(Startup, AMissingDataSourceIsReportedNotHidden)
{
    load();
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
    EXPECT_FALSE(window->lblTip->text().isEmpty());
    EXPECT_NE(window->lblTip->text(), QStringLiteral("System initialization..."));
    EXPECT_TRUE(window->RcvText->toPlainText().contains(QStringLiteral("IM002")) ||
                window->RcvText->toPlainText().contains(QStringLiteral("not found")))
        << window->RcvText->toPlainText().toStdString();
    EXPECT_EQ(window->splash(), nullptr);
}

TEST_F(Startup, ReadsTheSeparatorsOfTheUserLocale)
{
    load();
    EXPECT_EQ(window->strDateSep, QStringLiteral("/"));
    EXPECT_EQ(window->strTimeSep, QStringLiteral(":"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("hi"));
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(Startup, TheCloseButtonClosesThePortAndUnloadsTheWindow)
{
    load();
    line->setPortOpen(true);
    QSignalSpy unloaded(window.get(), &frmMain::unloaded);
    window->btnClose_Click();
    EXPECT_FALSE(line->PortOpen());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(window->isVisible());

    window->btnClose_Click(); // a closed port is no failure
    EXPECT_EQ(unloaded.count(), 2);
}

// A close in either event pass of start-up ends it there: the modem is never opened and no
// window is left behind.
TEST_F(Startup, TheCloseButtonDuringStartUpsEventPassesEndsStartUpThere)
{
    struct Case
    {
        const char *pass;
        QString tipThen;
    };
    const Case cases[] = {
        {"the first pass", QString()},
        {"the second pass", QStringLiteral("System initialization...")},
    };
    const UsableModem modem;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pass);
        line = new FakeComm;
        window = std::make_unique<frmMain>(line, clock);
        QSignalSpy unloaded(window.get(), &frmMain::unloaded);
        int clicks = 0;
        QTimer click;
        QObject::connect(&click, &QTimer::timeout, [&] {
            if (clicks == 0 && window->isVisible() && window->strTip == c.tipThen) {
                ++clicks;
                QTest::mouseClick(window->btnClose, Qt::LeftButton);
            }
        });
        click.start(0);
        window->Form_Load();
        click.stop();

        ASSERT_EQ(clicks, 1);
        EXPECT_TRUE(window->isUnloaded());
        EXPECT_EQ(unloaded.count(), 1);
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(window->splash(), nullptr);
        EXPECT_FALSE(line->calls.contains(QStringLiteral("PortOpen=1")))
            << line->calls.join(u' ').toStdString();
        EXPECT_EQ(window->cboMODEM->count(), 0) << "start-up stopped before the modems";
        EXPECT_EQ(TAPI::connection().State(), db::adStateClosed);
        window.reset();
    }
}

TEST_F(Startup, TheCallLogReportOutlivesTheModemSelection)
{
    const UsableModem modem;
    load();
    EXPECT_EQ(window->cboMODEM->count(), 1);
    EXPECT_TRUE(line->PortOpen()) << "the first modem is switched on";
    EXPECT_TRUE(line->written().endsWith(QStringLiteral("AT+VCID=1\r")));
    EXPECT_EQ(window->lblTip->text(),
              QStringLiteral("The call log could not be opened: calls are kept until it is back"));
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
}

TEST_F(Startup, WithoutDatabaseSupportTheReportAlsoOutlivesTheSelection)
{
    const UsableModem modem;
    TAPI::setDriverManager(QStringLiteral("libodbc-missing.so.2"));
    load();
    EXPECT_TRUE(line->PortOpen());
    EXPECT_EQ(window->lblTip->text(),
              QStringLiteral("Could not acquire the database support from your system"));
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
}
