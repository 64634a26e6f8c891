// Faults against the real main window in this process: real serial port, real call log
// (the sandbox's SQLite file), the modem simulated on another thread. In-process because
// these checks read the window itself (the switch, the list, the receive log) and time its
// event loop; the same faults against the separate program are in test_program_faults.
#include "tests/support/TestHelpers.h"
#include "tests/faults/WindowRig.h"

#include "platform/Comm.h"
#include "modem/ReceiveLog.h"
#include "tests/support/SqliteLock.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QSerialPort>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The call log in memory-backed storage where there is some: the flood is about the
// program, and ten thousand synced commits on a slow disk would take the suite's minute.
const bool g_logInMemory = [] {
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    return true;
}();

class WindowFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        ASSERT_TRUE(rig.linked);
    }
    WindowRig rig;
};

} // namespace

TEST_F(WindowFaults, AModemThatGoesAwayIsReportedAndCanBeSwitchedOnAgainWhenBack)
{
    ASSERT_TRUE(rig.start());
    ASSERT_EQ(rig.window->Power->Value(), 1);

    rig.sim->call([](LineSimulator &s) { s.closeMaster(); });
    ASSERT_TRUE(eventually([&] { return rig.window->Power->Value() == 0; }))
        << "monitoring switched off when the device went";
    EXPECT_TRUE(rig.log().contains(QStringLiteral("The modem has gone away")));
    EXPECT_FALSE(rig.window->comm->PortOpen());

    // The device comes back where it was registered; the user switches monitoring on.
    auto gone = std::move(rig.sim);
    rig.plugIn();
    ASSERT_TRUE(rig.linked);
    rig.window->Power->Value(1);
    rig.window->Power_Click();
    ASSERT_TRUE(eventually([&] { return rig.sim->commands().size() >= 3; }))
        << "the modem is told again to report callers";
    EXPECT_EQ(rig.window->Power->Value(), 1);
    EXPECT_TRUE(rig.window->comm->PortOpen());

    rig.sim->send(reportBytes("5550199"));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 1; }));
    ASSERT_TRUE(rig.settle());
    EXPECT_TRUE(rig.listLines().at(0).endsWith(QStringLiteral("] 5550199")));
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 1);
}

TEST_F(WindowFaults, AModemThatComesBackIsMonitoredAgainByItself)
{
    ASSERT_TRUE(rig.start());
    rig.sim->send(reportBytes("5550198"));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 1; }));

    rig.sim->call([](LineSimulator &s) { s.closeMaster(); });
    ASSERT_TRUE(eventually([&] { return rig.window->Power->Value() == 0; }));
    QTest::qWait(1200); // a few looks find nothing there
    EXPECT_EQ(rig.window->Power->Value(), 0);
    EXPECT_EQ(rig.window->strTip, QStringLiteral("The modem has gone away"));

    // Plugged in again behind the same path: no click needed.
    auto gone = std::move(rig.sim);
    rig.plugIn();
    ASSERT_TRUE(rig.linked);
    ASSERT_TRUE(eventually([&] { return rig.sim->commands().size() >= 3; }))
        << "the modem is told again to report callers";
    EXPECT_EQ(rig.sim->commands().mid(0, 3),
              (QStringList{QStringLiteral("ATE1V1Q0"), QStringLiteral("ats0=0"),
                           QStringLiteral("AT+VCID=1")}));
    EXPECT_EQ(rig.window->Power->Value(), 1);
    EXPECT_TRUE(rig.window->comm->PortOpen());
    EXPECT_EQ(rig.window->strTip, QStringLiteral("The modem is back: monitoring again"));
    EXPECT_EQ(rig.window->lblTipForeColor(), 0xFFFF00u);
    EXPECT_TRUE(rig.log().contains(QStringLiteral("The modem is back: monitoring again")));

    rig.sim->send(reportBytes("5550199"));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == 2; }));
    EXPECT_TRUE(rig.listLines().at(1).endsWith(QStringLiteral("] 5550199")));
    EXPECT_TRUE(eventually([] { return OdbcSandbox::instance().rowCount() == 2; }));
}

TEST_F(WindowFaults, AModemHeldAMomentWhenBackIsOpenedOnceFreeWithoutAReportPerTry)
{
    ASSERT_TRUE(rig.start());
    rig.sim->call([](LineSimulator &s) { s.closeMaster(); });
    ASSERT_TRUE(eventually([&] { return rig.window->Power->Value() == 0; }));
    const QString logBefore = rig.log();

    // Back, but another program (ModemManager probing it) holds the port for a while.
    auto gone = std::move(rig.sim);
    rig.plugIn();
    ASSERT_TRUE(rig.linked);
    QSerialPort holder(rig.sim->path());
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << holder.errorString().toStdString();
    QTest::qWait(2500);
    EXPECT_EQ(rig.window->Power->Value(), 0);
    EXPECT_EQ(rig.log(), logBefore) << "no report while the port is held";
    holder.close();

    ASSERT_TRUE(eventually([&] { return rig.sim->commands().size() >= 3; }));
    EXPECT_EQ(rig.window->Power->Value(), 1);
    EXPECT_EQ(rig.window->strTip, QStringLiteral("The modem is back: monitoring again"));
}

TEST_F(WindowFaults, TheUsersOwnWordEndsTheWaitForAModemThatWentAway)
{
    struct Case
    {
        const char *name;
        std::function<void(frmMain &)> act;
    };
    const Case cases[] = {
        {"a click on Power", [](frmMain &w) { QTest::mouseClick(w.Power, Qt::LeftButton); }},
        {"a choice in cboMODEM", [](frmMain &w) { Q_EMIT w.cboMODEM->activated(0); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OdbcSandbox::instance().resetCallLog();
        rig.plugIn();
        ASSERT_TRUE(rig.linked);
        ASSERT_TRUE(rig.start());
        rig.sim->call([](LineSimulator &s) { s.closeMaster(); });
        ASSERT_TRUE(eventually([&] { return rig.window->Power->Value() == 0; }));

        // Nothing is there yet: the switch reports that as always and stays off.
        c.act(*rig.window);
        EXPECT_EQ(rig.window->Power->Value(), 0);
        EXPECT_EQ(rig.window->strTip, QStringLiteral("Modem haven't been installed properly"));

        auto gone = std::move(rig.sim);
        rig.plugIn();
        ASSERT_TRUE(rig.linked);
        QTest::qWait(1500);
        EXPECT_TRUE(rig.sim->commands().isEmpty()) << "monitoring stays off";
        EXPECT_EQ(rig.window->Power->Value(), 0);
        EXPECT_FALSE(rig.window->comm->PortOpen());
    }
}

TEST_F(WindowFaults, TenThousandReportsBackToBackAreEachListedAndStoredOnceWithoutStalling)
{
    constexpr int kCalls = 10000;
    ASSERT_TRUE(rig.start());

    QByteArray flood;
    flood.reserve(kCalls * 48);
    for (int i = 0; i < kCalls; ++i)
        flood += reportBytes(QByteArray::number(1000000 + i));

    StallMeter meter;
    rig.sim->send(flood);
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() >= kCalls; }, 75000))
        << rig.window->lstCID->count() << " calls listed";
    // The loop keeps running a little, so a call arriving twice would show.
    QTest::qWait(200);
    ASSERT_TRUE(rig.settle());
    EXPECT_EQ(rig.window->lstCID->count(), kCalls);

    const auto counts = queryRows(OdbcSandbox::instance().admin(),
                                  QStringLiteral("select count(*), count(distinct number), min(number), "
                                                 "max(number) from idlist"));
    ASSERT_EQ(counts.size(), 1);
    EXPECT_EQ(counts[0][0].toInt(), kCalls);
    EXPECT_EQ(counts[0][1].toInt(), kCalls) << "each call stored once";
    EXPECT_EQ(counts[0][2].toString(), QStringLiteral("1000000"));
    EXPECT_EQ(counts[0][3].toString(), QString::number(1000000 + kCalls - 1));

    // A window that stores a whole read's calls in one go stalls for seconds; a busy machine
    // alone pauses a thread for a few hundred milliseconds at most (figures: bench_stall).
    EXPECT_LE(meter.longestMs(), 1000) << "longest event-loop stall while digesting the flood";
}

TEST_F(WindowFaults, CallsThatAreSlowToStoreDoNotFreezeTheWindow)
{
    // A call log that takes milliseconds per row (a slow disk, a busy server), made so on
    // any machine by a trigger that counts for a while on every insert.
    OdbcSandbox::instance().admin().Execute(QStringLiteral(
        "CREATE TRIGGER IDListSlow AFTER INSERT ON IDList BEGIN SELECT count(*) FROM (WITH "
        "RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000) SELECT i "
        "FROM c); END"));
    constexpr int kCalls = 300;
    ASSERT_TRUE(rig.start());

    QByteArray burst;
    for (int i = 0; i < kCalls; ++i)
        burst += reportBytes(QByteArray::number(2000000 + i));
    StallMeter meter;
    rig.sim->send(burst);
    ASSERT_TRUE(eventually([&] { return OdbcSandbox::instance().rowCount() >= kCalls; }, 60000));
    EXPECT_EQ(rig.window->lstCID->count(), kCalls);
    // Storing the whole burst in one go stalls for several seconds (300 slow rows); a busy
    // machine alone pauses a thread for a few hundred milliseconds at most.
    EXPECT_LE(meter.longestMs(), 1000) << "longest event-loop stall while storing slowly";
}

TEST_F(WindowFaults, CallsWhileAnotherProgramLocksTheLogAreListedAtOnceAndStoredWhenItLetsGo)
{
    ASSERT_TRUE(rig.start());
    QElapsedTimer locked;
    locked.start();
    SqliteLock lock(OdbcSandbox::instance().sqliteFile());
    ASSERT_TRUE(lock.held());

    StallMeter meter;
    for (int i = 0; i < 2; ++i) {
        QElapsedTimer sent;
        sent.start();
        rig.sim->send(reportBytes(QByteArray::number(5550300 + i)));
        ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == i + 1; }, 5000));
        EXPECT_LT(sent.elapsed(), 1000) << "the line is read at once while the lock holds";
        QTest::qWait(300);
    }
    // Long enough for both calls to have begun waiting.
    QTest::qWait(int(qMax<qint64>(0, 6000 - locked.elapsed())));
    // A store on the window's thread would wait out the 2 s busy timeout.
    EXPECT_LE(meter.longestMs(), 1000) << "longest event-loop stall while the log was locked";
    EXPECT_EQ(rig.window->lstCID->item(0)->toolTip(), QStringLiteral("Not yet saved in the call log"));
    EXPECT_EQ(rig.window->callRecorder().waitingCount(), 2);
    lock.release();

    ASSERT_TRUE(eventually([&] { return OdbcSandbox::instance().rowCount() == 2; }, 40000));
    ASSERT_TRUE(eventually([&] { return rig.window->callRecorder().waitingCount() == 0; }));
    EXPECT_EQ(rig.window->lblTip->text(), QStringLiteral("The call log is back: 2 waiting calls saved"));
    EXPECT_EQ(rig.window->lblTipForeColor(), 0xFFFF00u);
    EXPECT_TRUE(rig.window->lstCID->item(0)->toolTip().isEmpty());
    EXPECT_TRUE(rig.window->lstCID->item(1)->toolTip().isEmpty());
    const auto numbers = queryRows(OdbcSandbox::instance().admin(),
                                   QStringLiteral("select number from idlist order by rowid"));
    ASSERT_EQ(numbers.size(), 2);
    EXPECT_EQ(numbers[0][0].toString(), QStringLiteral("5550300"));
    EXPECT_EQ(numbers[1][0].toString(), QStringLiteral("5550301"));
}

TEST_F(WindowFaults, HostileCallerTextIsListedShownAndStoredLiterally)
{
    ASSERT_TRUE(rig.start());

    // What a spoofed caller ID can carry: quotes, SQL, markup, control characters and bytes
    // that are no UTF-8. The program upper-cases what it decodes, so these are upper case.
    const QList<QByteArray> hostile{
        "'); DROP TABLE IDLIST; --",
        "\"<B>&AMP;</B><SCRIPT>ALERT(1)</SCRIPT>",
        "A\x01\x07\x1B[31MB\tC\x7F",
        "\xC3\x28\xFF\xFE\xED\xA0\x80%S%N",
    };
    for (const QByteArray &number : hostile)
        rig.sim->send(reportBytes(number));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() == hostile.size(); }));
    ASSERT_TRUE(rig.settle());

    const auto rows = queryRows(OdbcSandbox::instance().admin(),
                                QStringLiteral("select number from idlist order by rowid"));
    ASSERT_EQ(rows.size(), hostile.size()) << "the table is still there with every call";
    for (int i = 0; i < hostile.size(); ++i) {
        const QString expected = QString::fromUtf8(hostile[i]).toUpper();
        EXPECT_TRUE(rig.listLines().at(i).endsWith(QStringLiteral("] ") + expected)) << i;
        EXPECT_EQ(rows[i][0].toString(), expected) << i;
    }
    EXPECT_EQ(rig.window->lblTip->textFormat(), Qt::PlainText);
    EXPECT_TRUE(rig.window->lblTip->text().endsWith(QString::fromUtf8(hostile.last()).toUpper()));
    EXPECT_TRUE(rig.log().contains(QStringLiteral("\"<B>&AMP;</B><SCRIPT>ALERT(1)</SCRIPT>")))
        << "markup is shown as text";
}

TEST_F(WindowFaults, A64KilobyteLineMakesNoCallAndTheReceiveLogStaysWithinItsBound)
{
    ASSERT_TRUE(rig.start());

    // After every append the log holds at most the bound plus what was appended last.
    qsizetype worstOver = 0;
    QObject::connect(rig.window->RcvText->document(), &QTextDocument::contentsChange, rig.window.get(),
                     [&](int, int, int added) {
                         const qsizetype over = rig.window->RcvText->length() -
                                                (receivelog::TrimAbove + added);
                         worstOver = qMax(worstOver, over);
                     });

    rig.sim->send(reportBytes("5550100"));
    rig.sim->send("DATE = 1013\r\nTIME = 1425\r\nNMBR = " + QByteArray(64 * 1024, '7') + "\r\n");
    rig.sim->send(reportBytes("5550101"));
    ASSERT_TRUE(eventually([&] { return rig.window->lstCID->count() >= 2; }));
    QTest::qWait(300);
    ASSERT_TRUE(rig.settle());

    const QStringList lines = rig.listLines();
    ASSERT_EQ(lines.size(), 2) << "the long line is no call";
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("] 5550100")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("] 5550101")));
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 2);
    EXPECT_TRUE(rig.log().contains(QStringLiteral("NMBR = 5550101")));
    EXPECT_LE(worstOver, 0) << "the receive log grew past its bound";
}
