// The call path as the window watches it, without a window: line text in, calls out to
// the log, the feed and the reports, over the real SQLite driver and a real spool.
#include "calllog/CallPipeline.h"
#include "calllog/TAPI.h"
#include "feed/FeedServer.h"
#include "tests/calllog/OdbcSandbox.h"
#include "tests/feed/FeedTestClient.h"
#include "tests/support/FakeClock.h"
#include "tests/support/SqliteLock.h"
#include "tests/support/TestHelpers.h"

#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Pipeline : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        ASSERT_TRUE(m_spoolDir.isValid());
        pipeline.dateSeparator() = QStringLiteral("/");
        pipeline.timeSeparator() = QStringLiteral(":");
        QObject::connect(&pipeline.recorder(), &CallRecorder::callsDecoded,
                         [this](const QList<ReceivedCall> &calls) {
                             for (const ReceivedCall &call : calls)
                                 shown << call.shown.date + u' ' + call.shown.time + u' ' +
                                              call.shown.number;
                         });
    }

    CallRecorder::Options options(qsizetype memoryLimit = 10000) const
    {
        CallRecorder::Options o;
        o.spoolFolder = m_spoolDir.filePath(QStringLiteral("spool"));
        o.spoolKey = QStringLiteral("CallerID-test");
        o.waitMs = 300;
        o.writer.firstRetryMs = 100;
        o.writer.longestRetryMs = 400;
        o.memoryLimit = memoryLimit;
        return o;
    }

    bool settle()
    {
        return waitFor([this] { return !pipeline.recorder().busy(); }, 10000);
    }

    QTemporaryDir m_spoolDir;
    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    CallPipeline pipeline{clock};
    QStringList shown;
};

} // namespace

// The buffer takes the text however the line cut it, upper-cased, and the decoder writes
// the call's date and time with the user's separators.
TEST_F(Pipeline, LineTextCutAnywhereIsDecodedWithTheUsersSeparators)
{
    const struct
    {
        QStringList pieces;
        const char *dateSep;
        const char *timeSep;
        QString shownCall;
    } cases[] = {
        {{u"RING\r\n\r\nDA"_qs, u"TE = 10"_qs, u"13\r"_qs, u"\nTIME = 1425\r\nNMBR = 555"_qs,
          u"0123\r"_qs, u"\n\r\n"_qs},
         "/", ":", u"2002/10/13 14:25 5550123"_qs},
        {{u"date = 1013\r\ntime = 1425\r\nnmbr = private\r\n"_qs}, "-", ".",
         u"2002-10-13 14.25 PRIVATE"_qs},
        {{u"NMBR = 5550124\r\n\r\n"_qs}, ".", "h", u"2002.10.13 15h00 5550124"_qs},
    };
    pipeline.start(false, options());
    for (const auto &c : cases) {
        shown.clear();
        pipeline.dateSeparator() = QString::fromLatin1(c.dateSep);
        pipeline.timeSeparator() = QString::fromLatin1(c.timeSep);
        for (const QString &piece : c.pieces)
            pipeline.receive(piece);
        ASSERT_TRUE(waitFor([&] { return !shown.isEmpty(); }, 5000)) << c.shownCall.toStdString();
        EXPECT_EQ(shown, QStringList{c.shownCall});
        EXPECT_TRUE(pipeline.buffer().isEmpty()) << c.shownCall.toStdString();
    }
    ASSERT_TRUE(settle());
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 3);
}

TEST_F(Pipeline, AFullPathLeavesTheLineUnreadAndAsksForItOnceThereIsRoom)
{
    int readAgain = 0;
    QObject::connect(&pipeline, &CallPipeline::readAgain, [&] { ++readAgain; });
    pipeline.start(false, options(2));
    SqliteLock lock(OdbcSandbox::instance().sqliteFile());
    EXPECT_TRUE(pipeline.mayRead());
    pipeline.receive(u"NMBR = 1\r\n\r\nNMBR = 2\r\n\r\n"_qs);
    EXPECT_FALSE(pipeline.mayRead());
    EXPECT_FALSE(pipeline.mayRead()) << "asked twice, still one call back";
    lock.release();
    ASSERT_TRUE(waitFor([&] { return readAgain > 0; }, 15000));
    waitFor([] { return false; }, 200);
    EXPECT_EQ(readAgain, 1);
    EXPECT_TRUE(pipeline.mayRead());
}

TEST_F(Pipeline, WaitingCallsAreReportedWithTheUsersSeparators)
{
    QStringList messages;
    QList<QStringList> logs;
    QObject::connect(&pipeline, &CallPipeline::callsWaiting,
                     [&](const QList<SpooledCall> &, const QString &message,
                         const QStringList &lines) {
                         messages << message;
                         logs << lines;
                     });
    pipeline.dateSeparator() = QStringLiteral(".");
    pipeline.start(true, options());
    pipeline.receive(u"DATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\n\r\n"_qs);
    ASSERT_TRUE(waitFor([&] { return !messages.isEmpty(); }, 10000));
    EXPECT_EQ(messages.first(),
              QStringLiteral("The call is kept and will be saved when the call log is back"));
    // The date, the message, why, each call, how many wait.
    const QStringList lines = logs.first();
    ASSERT_EQ(lines.size(), 5) << lines.join(u'|').toStdString();
    EXPECT_EQ(lines.at(1), messages.first());
    EXPECT_FALSE(lines.at(2).isEmpty());
    EXPECT_EQ(lines.mid(3), (QStringList{u"Waiting: [2002.10.13 14:25] 5550123"_qs,
                                         u"1 call waiting for the call log"_qs}))
        << lines.join(u'|').toStdString();
    EXPECT_EQ(OdbcSandbox::instance().rowCount(), 0);
}

TEST_F(Pipeline, ACompletedCallReachesTheFeedAndAFeedThatCannotListenIsSaid)
{
    QStringList off;
    QObject::connect(&pipeline, &CallPipeline::feedOff,
                     [&](const QString &message) { off << message; });
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
    CallPipeline refused(clock);
    QObject::connect(&refused, &CallPipeline::feedOff,
                     [&](const QString &message) { off << message; });
    refused.startOutlets(false, QStringLiteral("127.0.0.1:%1").arg(holder.serverPort()));
    EXPECT_EQ(refused.feed(), nullptr);
    ASSERT_EQ(off.size(), 1);
    EXPECT_TRUE(off.first().startsWith(QStringLiteral("Network feed off: ")));

    pipeline.start(false, options());
    pipeline.startOutlets(false, QStringLiteral("127.0.0.1:0"));
    ASSERT_NE(pipeline.feed(), nullptr);
    EXPECT_EQ(off.size(), 1);
    FeedTestClient client(QHostAddress(QHostAddress::LocalHost), pipeline.feed()->serverPort());
    ASSERT_TRUE(client.waitForLines(4));
    const qsizetype greeting = client.lines().size();
    pipeline.receive(
        u"DATE = 1013\r\nTIME = 1425\r\nNMBR = 5550123\r\nNAME = ANN\r\n\r\n"_qs);
    ASSERT_TRUE(client.waitForLines(greeting + 1));
    EXPECT_EQ(client.lines().at(greeting),
              "CID: *DATE*10132002*TIME*1425*LINE*-*NMBR*5550123*MESG*NONE*NAME*ANN*");
}

// Clients of the feed read the phonebook's name as the caller's, in the start-up lines and
// live, as they do from NCID's own server; the number stays as the line sent it.
TEST_F(Pipeline, TheFeedNamesCallersAsThePhonebookDoes)
{
    pipeline.start(false, options());
    pipeline.startCallers(u"GB"_qs, [] {
        return Result<CallerBook::Entries>(
            CallerBook::Entries{{u"+44 20 7946 0958"_qs, u"Mum"_qs}});
    });
    bool known = false;
    QObject::connect(pipeline.callers(), &CallerBook::changed, [&] { known = true; });
    ASSERT_TRUE(waitFor([&] { return known; }));
    pipeline.receive(u"DATE = 1013\r\nTIME = 1425\r\nNMBR = 02079460958\r\nNAME = J SMITH\r\n\r\n"_qs);
    ASSERT_TRUE(settle());

    pipeline.startOutlets(false, u"127.0.0.1:0"_qs);
    ASSERT_NE(pipeline.feed(), nullptr);
    FeedTestClient client(QHostAddress(QHostAddress::LocalHost), pipeline.feed()->serverPort());
    ASSERT_TRUE(client.waitForLines(5));
    EXPECT_EQ(client.lines().at(2),
              "CIDLOG: *DATE*10132002*TIME*1425*LINE*-*NMBR*02079460958*MESG*NONE*NAME*Mum*");
    pipeline.receive(u"DATE = 1013\r\nTIME = 1430\r\nNMBR = 00442079460958\r\n\r\n"_qs);
    ASSERT_TRUE(client.waitForLines(6));
    EXPECT_EQ(client.lines().at(5),
              "CID: *DATE*10132002*TIME*1430*LINE*-*NMBR*00442079460958*MESG*NONE*NAME*Mum*");
}
