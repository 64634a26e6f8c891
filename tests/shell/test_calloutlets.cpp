// The window passing calls on: a report with a caller's name, through the real decoder and
// call log, to a desktop notice on a private session bus and to a network feed client on
// the loopback interface.
#include "FakeClock.h"
#include "FakeComm.h"
#include "FeedServer.h"
#include "FeedTestClient.h"
#include "FreedesktopNotifications.h"
#include "OdbcSandbox.h"
#include "PrivateSessionBus.h"
#include "ProgramOptions.h"
#include "ReceiveLogView.h"
#include "TAPI.h"
#include "frmMain.h"

#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QTcpServer>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

// What a tooltip shows, read as Qt reads it.
QString shownText(const QString &toolTip)
{
    if (!Qt::mightBeRichText(toolTip))
        return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

class CallOutlets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox &sandbox = OdbcSandbox::instance();
        sandbox.resetCallLog();
        TAPI::AddNameColumn(sandbox.admin());
        sandbox.admin().Execute(
            QStringLiteral("INSERT INTO IDList (datetime, number, name) VALUES (?, ?, ?)"),
            {dates::toDayNumber(dates::makeDateTime(QDate(2002, 10, 13), QTime(9, 30))),
             QStringLiteral("5550100"), QStringLiteral("ANN <i>")});
        TAPI::releaseConnection();
        TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), QString(), QString(), -1);
        line = new FakeComm;
        window = std::make_unique<frmMain>(line, clock);
        window->strDateSep = QStringLiteral("/");
        window->strTimeSep = QStringLiteral(":");
        line->setPortOpen(true);
        window->startCallLog();
    }

    void TearDown() override
    {
        window.reset();
        TAPI::releaseConnection();
        QDir(CallSpool::defaultFolder()).removeRecursively();
    }

    QString log() const { return window->RcvText->toPlainText(); }

    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    FakeComm *line = nullptr;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(CallOutlets, ANamedCallReachesTheListTheDesktopAndTheFeed)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << qPrintable(bus.failure());
    ASSERT_TRUE(bus.startNotificationService(
        {{QStringLiteral("actions"), QStringLiteral("body-markup")}, {}}));
    ProgramOptions options;
    options.feed = QStringLiteral("127.0.0.1:0");
    window->startCallOutlets(
        options, [&bus] { return std::make_unique<FreedesktopNotifications>(bus.connect()); });
    ASSERT_NE(window->feed(), nullptr);

    FeedTestClient client(QHostAddress(QHostAddress::LocalHost), window->feed()->serverPort());
    ASSERT_TRUE(client.waitForLines(5));
    EXPECT_EQ(client.lines().at(2),
              "CIDLOG: *DATE*10132002*TIME*0930*LINE*-*NMBR*5550100*MESG*NONE*NAME*ANN <i>*");

    window->btn5_Click();
    ASSERT_TRUE(window->isMinimized());
    line->receive(QStringLiteral("RING\r\n\r\nDATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\n"
                                 "NAME = <b>x</b> &amp;\r\n\r\n"));
    ASSERT_TRUE(waitFor([&] { return !bus.notices().isEmpty(); }, 10000));
    const QJsonValue notice = bus.notices().at(0);
    EXPECT_EQ(notice[QLatin1String("summary")].toString(), QStringLiteral("5550123"));
    EXPECT_EQ(notice[QLatin1String("body")].toString(),
              QStringLiteral("&lt;B&gt;X&lt;/B&gt; &amp;AMP;\n10/13/2002 14:25"));

    ASSERT_TRUE(client.waitForLines(6));
    EXPECT_EQ(client.lines().at(5),
              "CID: *DATE*10132002*TIME*1425*LINE*-*NMBR*5550123*MESG*NONE*NAME*<B>X</B> &AMP;*");
    ASSERT_EQ(window->lstCID->count(), 1);
    EXPECT_EQ(shownText(window->lstCID->item(0)->toolTip()), QStringLiteral("<B>X</B> &AMP;"));
    EXPECT_EQ(window->lblTip->text(), QStringLiteral("[2002/10/13 14:25] 5550123"));

    // A click on the notice brings the window back, under its normal caption.
    bus.invokeAction(uint(notice[QLatin1String("id")].toInteger()), QStringLiteral("default"));
    ASSERT_TRUE(waitFor([&] { return !window->isMinimized(); }, 10000));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("hi"));
}

TEST_F(CallOutlets, AFeedThatCannotListenAndNoSessionBusAreEachSaidOnce)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    ProgramOptions options;
    options.feed = QStringLiteral("127.0.0.1:%1").arg(holder.serverPort());
    window->startCallOutlets(options); // the test environment's bus address leads nowhere
    EXPECT_EQ(window->feed(), nullptr);
    EXPECT_TRUE(window->lblTip->text().startsWith(QStringLiteral("Network feed off: ")));
    EXPECT_EQ(window->lblTipForeColor(), 0x8080FFu);

    for (const char *number : {"1", "2"})
        line->receive(QStringLiteral("NMBR = %1\r\n\r\n").arg(QLatin1String(number)));
    ASSERT_TRUE(waitFor([&] { return log().contains(u"notifications are not available"_qs); }));
    waitFor([] { return false; }, 300);
    EXPECT_EQ(log().count(QStringLiteral("Network feed off: ")), 1);
    EXPECT_EQ(log().count(QStringLiteral("Desktop notifications are not available")), 1);
}
