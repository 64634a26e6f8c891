#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "tests/calllog/OdbcSandbox.h"
#include "calllog/TAPI.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
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
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2024/05/13 23:59"), QStringLiteral("yesterday")).valueOr(TAPI::Store::LogClosed),
              TAPI::Store::Stored);
    ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2024/05/14 08:02"), QStringLiteral("5551234")).valueOr(TAPI::Store::LogClosed),
              TAPI::Store::Stored);
    TAPI::releaseConnection();

    load();
    EXPECT_EQ(window->brDay->text(), QStringLiteral("5/14/2024"));
    ASSERT_EQ(window->lstCID->count(), 1);
    EXPECT_EQ(window->lstCID->item(0)->text(), QStringLiteral("001.[2024/05/14 08:02] 5551234"));
    EXPECT_TRUE(window->lblTip->text().isEmpty());
    EXPECT_EQ(window->lstCID->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(window->splash(), nullptr);
}

// Out of the tab order only: Tab never lands on the call list, a click gives it the
// keyboard, and the arrow keys then move the selection.
TEST_F(StartupWithCallLog, TheCallListTakesAClickButNoTab)
{
    TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), QString(), QString(), -1);
    for (const char *number : {"5551234", "5552345", "5553456"})
        ASSERT_EQ(TAPI::AddCallRecord(QStringLiteral("2024/05/14 08:02"), QString::fromLatin1(number)).valueOr(TAPI::Store::LogClosed),
                  TAPI::Store::Stored);
    TAPI::releaseConnection();

    load();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QListWidget *list = window->lstCID;
    ASSERT_EQ(list->count(), 3);

    window->cboMODEM->setFocus(Qt::OtherFocusReason);
    for (int step = 0; step < 30; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), list) << "Tab reached the call list at step " << step;
    }

    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(list->currentRow(), 0);

    struct Key { Qt::Key key; int row; };
    const Key keys[] = {{Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}, {Qt::Key_Home, 0}};
    for (const Key &k : keys) {
        QTest::keyClick(list, k.key);
        EXPECT_EQ(list->currentRow(), k.row) << "after key " << k.key;
        ASSERT_EQ(list->selectedItems().size(), 1);
        EXPECT_EQ(list->row(list->selectedItems().constFirst()), k.row);
    }
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
