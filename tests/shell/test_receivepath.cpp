#include "calllog/CallLog.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeComm.h"
#include "feed/FeedServer.h"
#include "tests/feed/FeedTestClient.h"
#include "platform/linux/FreedesktopNotifications.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/support/PrivateSessionBus.h"
#include "shell/ProgramOptions.h"
#include "shell/ReceiveLogView.h"
#include "calllog/TAPI.h"
#include "shell/frmMain.h"

#include "tests/support/TestHelpers.h"

#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QTcpServer>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

const QString kReport = QStringLiteral("RING\r\n\r\nDATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\n\r\n");

// A window on a fake line, with the call log open on a fresh private SQLite file.
class ReceivePath : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        TAPI::releaseConnection();
        TAPI::connection().Open(QStringLiteral("DSN=CallerID;ODBC;"), QString(), QString(), -1);
        line = new FakeComm;
        window = std::make_unique<frmMain>(line, clock);
        window->strDateSep = QStringLiteral("/");
        window->strTimeSep = QStringLiteral(":");
        // Reports about the log are read from the tip at once here; the caller's hold has
        // its own test.
        window->setCallTipHold(std::chrono::milliseconds(0));
        line->setPortOpen(true);
    }

    void TearDown() override
    {
        window.reset();
        TAPI::releaseConnection();
        QDir(CallSpool::defaultFolder()).removeRecursively();
    }

    // The text on the line, then until the call path has done with the calls it gave.
    void deliver(const QString &text)
    {
        if (!window->callRecorder().started())
            window->startCallLog();
        line->receive(text);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        ASSERT_TRUE(waitFor([&] { return !window->callRecorder().busy(); }, 10000));
    }

    QStringList listLines() const
    {
        QStringList lines;
        for (int i = 0; i < window->lstCID->count(); ++i)
            lines << window->lstCID->item(i)->text();
        return lines;
    }

    QString log() const { return window->RcvText->toPlainText(); }

    // The last list line's tooltip, read as Qt reads it.
    QString shownToolTip() const
    {
        const QString tip = window->lstCID->item(window->lstCID->count() - 1)->toolTip();
        QTextDocument shown;
        shown.setHtml(tip);
        return Qt::mightBeRichText(tip) ? shown.toPlainText() : tip;
    }

    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    FakeComm *line = nullptr;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(ReceivePath, AReportCutAnywhereBecomesOneListedShownAndStoredCall)
{
    for (const QString &piece : {QStringLiteral("RING\r\n\r\nDA"), QStringLiteral("TE = 10"),
                                 QStringLiteral("13\r"), QStringLiteral("\nTIME = 1425\r\nNMBR = 555"),
                                 QStringLiteral("0123\r"), QStringLiteral("\n\r\n")})
        deliver(piece);

    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/13 14:25] 5550123")});
    EXPECT_EQ(window->lblTip->text(), QStringLiteral("[2002/10/13 14:25] 5550123"));
    EXPECT_EQ(window->lblTipForeColor(), 0x8080FFu);
    EXPECT_TRUE(log().contains(QStringLiteral("NMBR = 5550123"))) << "the log shows the line as received";

    const auto rows = queryRows(OdbcSandbox::instance().admin(),
                                QStringLiteral("select * from idlist where datetime>=37542 and datetime<37543"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("5550123"));
}

TEST_F(ReceivePath, ReportsNumberedByDdnLinesAreListedShownAndStoredOnceEach)
{
    struct Case
    {
        QString numberLines;
        QString number;
    };
    const Case cases[] = {
        {QStringLiteral("DDN_NMBR = 5550123\r\n"), QStringLiteral("5550123")},
        {QStringLiteral("DDN = 5550124\r\n"), QStringLiteral("5550124")},
        {QStringLiteral("DDN_NMBR = 5550999\r\nNMBR = 5550125\r\n"), QStringLiteral("5550125")},
        {QStringLiteral("NMBR = 5550126\r\nDDN_NMBR = 5550999\r\n"), QStringLiteral("5550126")},
    };
    QStringList numbers;
    for (const Case &c : cases) {
        deliver(QStringLiteral("RING\r\n\r\nDATE = 1013\r\nTIME = 1425\r\n") + c.numberLines);
        numbers << c.number;
        // A DDN line alone is held back for a moment, in case an NMBR line follows.
        ASSERT_TRUE(QTest::qWaitFor([&] { return listLines().size() == numbers.size(); }, 5000))
            << c.numberLines.toStdString();
        EXPECT_EQ(listLines().last(), QStringLiteral("%1.[2002/10/13 14:25] %2")
                                          .arg(numbers.size(), 3, 10, QLatin1Char('0'))
                                          .arg(c.number));
        EXPECT_EQ(window->lblTip->text(), QStringLiteral("[2002/10/13 14:25] ") + c.number);
    }
    QTest::qWait(int(CallerIdDecoder::ReportHold.count()) + 100);
    EXPECT_EQ(listLines().size(), numbers.size()) << "one call per report";

    const auto rows = queryRows(OdbcSandbox::instance().admin(),
                                QStringLiteral("select number from idlist order by rowid"));
    QStringList stored;
    for (const auto &row : rows)
        stored << row[0].toString();
    EXPECT_EQ(stored, numbers);
}

TEST_F(ReceivePath, LowerCaseTextIsLoggedAsSentAndDecodedUpperCased)
{
    deliver(QStringLiteral("date = 1013\r\ntime = 1425\r\nnmbr = private\r\n"));
    EXPECT_TRUE(log().contains(QStringLiteral("nmbr = private")));
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/13 14:25] PRIVATE")});
}

TEST_F(ReceivePath, AFailedStoreIsReportedAndTheCallKeptInTheLog)
{
    OdbcSandbox::instance().admin().Execute(QStringLiteral("DROP TABLE IDList"));
    deliver(kReport);

    EXPECT_EQ(listLines().size(), 1) << "the call is still listed";
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
    EXPECT_FALSE(window->lblTip->text().isEmpty());
    EXPECT_TRUE(log().contains(QStringLiteral("[2002/10/13 14:25] 5550123")))
        << "the receive log keeps the call the log could not take";
}

TEST_F(ReceivePath, WithoutDatabaseSupportCallsAreListedAndKeptForLater)
{
    TAPI::releaseConnection();
    window->startCallLog(true);
    deliver(kReport + kReport);
    EXPECT_EQ(listLines(), (QStringList{QStringLiteral("001.[2002/10/13 14:25] 5550123"),
                                        QStringLiteral("002.[2002/10/13 14:25] 5550123")}));
    EXPECT_EQ(window->lstCID->item(1)->toolTip(), QStringLiteral("Not yet saved in the call log"));
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
    EXPECT_EQ(window->callRecorder().waitingCount(), 2);
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 0);
}

// While the log cannot take calls (here: no database support, as after a 3706), a call's
// tip and the minimised caption keep the caller until the tip has shown its while; the
// waiting is said in the receive log and the tooltip at once.
TEST_F(ReceivePath, TheCallerKeepsTheTipWhileTheLogIsAway)
{
    TAPI::releaseConnection();
    window->startCallLog(true);
    window->setCallTipHold(std::chrono::hours(1));
    window->btn5_Click();
    ASSERT_TRUE(window->isMinimized());
    const QString waiting = QStringLiteral("The call is kept and will be saved when the call log is back");
    const QString callA = QStringLiteral("[2002/10/13 14:25] 5550101");
    const QString callB = QStringLiteral("[2002/10/13 14:25] 5550102");

    for (const QString &call : {callA, callB}) {
        deliver(QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = ") + call.right(7) +
                QStringLiteral("\r\n\r\n"));
        ASSERT_TRUE(waitFor([&] { return log().contains(QStringLiteral("Waiting: ") + call); }));
        EXPECT_EQ(window->lblTip->text(), call);
        EXPECT_EQ(window->tipKind(), Tip::Call);
        EXPECT_EQ(window->windowTitle(), call) << "the minimised caption shows the caller";
        EXPECT_EQ(shownToolTip(), QStringLiteral("Not yet saved in the call log"));
    }
    EXPECT_EQ(log().count(waiting), 2) << "each waiting call is said in the receive log";

    // Once the caller's tip has shown its while, the tip says that calls wait.
    window->setCallTipHold(std::chrono::milliseconds(200));
    deliver(QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = 5550103\r\n\r\n"));
    ASSERT_TRUE(waitFor([&] { return window->lblTip->text() == waiting; }));
    EXPECT_EQ(window->lblTipForeColor(), 0x0000FFu);
    EXPECT_EQ(window->windowTitle(), waiting);

    // The next call takes the tip again.
    window->setCallTipHold(std::chrono::hours(1));
    deliver(QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = 5550104\r\n\r\n"));
    ASSERT_TRUE(waitFor([&] { return log().count(waiting) == 4; }));
    EXPECT_EQ(window->lblTip->text(), QStringLiteral("[2002/10/13 14:25] 5550104"));
    EXPECT_EQ(window->lblTipForeColor(), 0x8080FFu);
    EXPECT_EQ(window->callRecorder().waitingCount(), 4);
}

// Qt would read a tooltip that looks like markup as rich text: a name is escaped, and shares
// the tooltip with the notice of a call still waiting for the call log.
TEST_F(ReceivePath, NamesAreTooltipsInPlainTextBesideTheWaitingNotice)
{
    TAPI::releaseConnection();
    window->startCallLog(true);
    const QString waiting = QStringLiteral("Not yet saved in the call log");
    const struct
    {
        const char *nameLine;
        QString shown;
    } cases[] = {
        {"NAME = <b>x</b>\r\n", QStringLiteral("<B>X</B>\n") + waiting},
        {"NAME=&amp;  \"O'NEIL\"\r\n", QStringLiteral("&AMP;  \"O'NEIL\"\n") + waiting},
        {"", waiting},
    };
    for (const auto &c : cases) {
        deliver(QStringLiteral("NMBR = 5550123\r\n") + QString::fromUtf8(c.nameLine) +
                QStringLiteral("\r\n"));
        EXPECT_EQ(shownToolTip(), c.shown) << c.nameLine;
    }
}

// A named call through the real decoder and call log to a desktop notice on a private
// session bus and to a network feed client on the loopback interface.
TEST_F(ReceivePath, ANamedCallReachesTheDesktopAndTheFeed)
{
    db::Connection &admin = OdbcSandbox::instance().admin();
    if (const Result<bool> added = CallLog::addNameColumn(admin); !added)
        throw added.failure();
    admin.Execute(QStringLiteral("INSERT INTO IDList (datetime, number, name) VALUES (?, ?, ?)"),
                  {dates::toDayNumber(dates::makeDateTime(QDate(2002, 10, 13), QTime(9, 30))),
                   QStringLiteral("5550100"), QStringLiteral("ANN <i>")});
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.startNotificationService(
        {{QStringLiteral("actions"), QStringLiteral("body-markup")}, {}}))
        << qPrintable(bus.failure());
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
    deliver(QStringLiteral("RING\r\n\r\nDATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\n"
                           "NAME = <b>x</b> &amp;\r\n\r\n"));
    ASSERT_TRUE(waitFor([&] { return !bus.notices().isEmpty(); }, 10000));
    const QJsonValue notice = bus.notices().at(0);
    EXPECT_EQ(notice[QLatin1String("summary")].toString(), QStringLiteral("5550123"));
    EXPECT_EQ(notice[QLatin1String("body")].toString(),
              QStringLiteral("&lt;B&gt;X&lt;/B&gt; &amp;AMP;\n10/13/2002 14:25"));
    ASSERT_TRUE(client.waitForLines(6));
    EXPECT_EQ(client.lines().at(5),
              "CID: *DATE*10132002*TIME*1425*LINE*-*NMBR*5550123*MESG*NONE*NAME*<B>X</B> &AMP;*");
    EXPECT_EQ(shownToolTip(), QStringLiteral("<B>X</B> &AMP;"));

    // A click on the notice brings the window back, under its normal caption.
    bus.invokeAction(uint(notice[QLatin1String("id")].toInteger()), QStringLiteral("default"));
    ASSERT_TRUE(waitFor([&] { return !window->isMinimized(); }, 10000));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("hi"));
}

TEST_F(ReceivePath, AFeedThatCannotListenAndNoSessionBusAreEachSaidOnce)
{
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    ProgramOptions options;
    options.feed = QStringLiteral("127.0.0.1:%1").arg(holder.serverPort());
    window->startCallOutlets(options); // the test environment's bus address leads nowhere
    EXPECT_EQ(window->feed(), nullptr);
    EXPECT_TRUE(window->lblTip->text().startsWith(QStringLiteral("Network feed off: ")));
    EXPECT_EQ(window->lblTipForeColor(), 0x8080FFu);

    deliver(QStringLiteral("NMBR = 1\r\n\r\nNMBR = 2\r\n\r\n"));
    ASSERT_TRUE(waitFor([&] { return log().contains(u"notifications are not available"_qs); }));
    waitFor([] { return false; }, 300);
    EXPECT_EQ(log().count(QStringLiteral("Network feed off: ")), 1);
    EXPECT_EQ(log().count(QStringLiteral("Desktop notifications are not available")), 1);
}

TEST_F(ReceivePath, HostileCallerTextIsShownAndStoredLiterally)
{
    const QString hostile = QStringLiteral("<B>'); DROP TABLE IDLIST; --&AMP;</B>");
    deliver(QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = ") + hostile + QStringLiteral("\r\n"));
    EXPECT_EQ(listLines(), QStringList{QStringLiteral("001.[2002/10/13 14:25] ") + hostile});
    EXPECT_EQ(window->lblTip->text(), QStringLiteral("[2002/10/13 14:25] ") + hostile);
    const auto rows = queryRows(OdbcSandbox::instance().admin(), QStringLiteral("select * from idlist"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1].toString(), hostile);
}

TEST_F(ReceivePath, TypedKeysGoToAnOpenPortAndNeverIntoTheLog)
{
    window->RcvText->show();
    QTest::keyClicks(window->RcvText, QStringLiteral("at"));
    EXPECT_EQ(line->written(), QStringLiteral("at"));
    EXPECT_TRUE(log().isEmpty());

    line->setPortOpen(false);
    QTest::keyClicks(window->RcvText, QStringLiteral("z"));
    EXPECT_EQ(line->written(), QStringLiteral("at")) << "nothing is sent while the port is closed";
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(ReceivePath, ARefusedKeystrokeIsDropped)
{
    line->failOutput = true;
    short key = 'x';
    window->RcvText_KeyPress(key);
    EXPECT_EQ(key, 0);
}

TEST_F(ReceivePath, CarrierDetectSendsTheCallerIdCommandAgain)
{
    window->strCIDCommand = QStringLiteral("AT+VCID=1\r");
    line->carrier = true;
    line->raise(Comm::EventCarrierDetect);
    QCoreApplication::processEvents();
    EXPECT_EQ(line->written(), QStringLiteral("AT+VCID=1\r"));

    line->failOutput = true; // a refused write in that branch must not escape the handler
    line->raise(Comm::EventCarrierDetect);
    QCoreApplication::processEvents();
    SUCCEED();
}
