#include "FakeClock.h"
#include "FakeComm.h"
#include "OdbcSandbox.h"
#include "TAPI.h"
#include "frmMain.h"

#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Start-up with the call log open on a private SQLite file and no modem registered.
class StartupWithCallLog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("RINGVANE_REGISTRY", "/nonexistent/registry.reg");
        OdbcSandbox::instance().resetCallLog();
        TAPI::releaseConnection();
    }

    void TearDown() override
    {
        window.reset();
        TAPI::releaseConnection();
    }

    void load()
    {
        line = new FakeComm;
        window = std::make_unique<frmMain>(line, clock);
        window->Form_Load();
    }

    FakeClock clock{dates::makeDateTime(QDate(2024, 5, 14), QTime(18, 0))};
    FakeComm *line = nullptr;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(StartupWithCallLog, OpensOnTodaysCallsWithAClearTipLine)
{
    TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), QString(), QString(), -1);
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2024/05/13 23:59"), QStringLiteral("yesterday")).kind,
              TAPI::StoreOutcome::Stored);
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2024/05/14 08:02"), QStringLiteral("5551234")).kind,
              TAPI::StoreOutcome::Stored);
    TAPI::releaseConnection();

    load();
    EXPECT_EQ(window->brDay->text(), QStringLiteral("5/14/2024"));
    ASSERT_EQ(window->lstCID->count(), 1);
    EXPECT_EQ(window->lstCID->item(0)->text(), QStringLiteral("001.[2024/05/14 08:02] 5551234"));
    EXPECT_TRUE(window->lblTip->text().isEmpty());
    EXPECT_EQ(window->lstCID->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window->splash(), nullptr);
}

TEST_F(StartupWithCallLog, TheCloseButtonEndsTheEventLoopWithThePortClosed)
{
    load();
    line->setPortOpen(true);
    QEventLoop loop;
    QObject::connect(window.get(), &frmMain::unloaded, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(0, window.get(), [this] { window->btnClose_Click(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    watchdog.start(10000);
    loop.exec();
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(line->PortOpen());
}
