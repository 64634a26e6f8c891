// The call path without a window: decoding, the writer on its thread and the spool, over
// the real SQLite driver and a real spool file, with waits shortened so the faults show
// within a second.
#include "calllog/CallLog.h"
#include "calllog/CallRecorder.h"
#include "tests/calllog/OdbcSandbox.h"
#include "calllog/TAPI.h"

#include "tests/support/FakeClock.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/SqliteLock.h"
#include "tests/support/TestHelpers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QDateTime k1425 = dates::makeDateTime(QDate(2002, 10, 13), QTime(14, 25));

// The modem's reports of calls at k1425, one after another.
QString reports(const QStringList &numbers)
{
    QString text;
    for (const QString &number : numbers)
        text += QStringLiteral("DATE = 1013\r\nTIME = 1425\r\nNMBR = %1\r\n").arg(number);
    return text;
}

// What the recorder says, as it says it.
struct Heard
{
    QList<QList<ReceivedCall>> decoded;
    QList<ReceivedCall> completed;
    QList<quint64> stored;
    QList<SpooledCall> kept;
    QList<SpooledCall> unsafe;
    QStringList reasons;
    QList<quint64> savedLater;
    QList<qsizetype> waitingSaved;
    qsizetype earlier = -1;
    QStringList notes;
    int rooms = 0;

    void listen(CallRecorder &recorder)
    {
        QObject::connect(&recorder, &CallRecorder::callsDecoded,
                         [this](const QList<ReceivedCall> &calls) { decoded << calls; });
        QObject::connect(&recorder, &CallRecorder::callsCompleted,
                         [this](const QList<ReceivedCall> &calls) { completed << calls; });
        QObject::connect(&recorder, &CallRecorder::callsStored,
                         [this](const QList<quint64> &ids) { stored << ids; });
        QObject::connect(&recorder, &CallRecorder::callsWaiting,
                         [this](const QList<SpooledCall> &calls, bool kept, const QString &why) {
                             (kept ? this->kept : unsafe) << calls;
                             reasons << why;
                         });
        QObject::connect(&recorder, &CallRecorder::callsSavedLater,
                         [this](const QList<quint64> &ids) { savedLater << ids; });
        QObject::connect(&recorder, &CallRecorder::waitingCallsSaved,
                         [this](qsizetype n) { waitingSaved << n; });
        QObject::connect(
            &recorder, &CallRecorder::earlierCallsWaiting,
            [this](qsizetype n, const QStringList &lines) { earlier = n, notes << lines; });
        QObject::connect(&recorder, &CallRecorder::roomAgain, [this] { ++rooms; });
    }
};

class Recorder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OdbcSandbox::instance().resetCallLog();
        ASSERT_TRUE(m_spoolDir.isValid());
    }

    CallRecorder::Options options() const
    {
        CallRecorder::Options o;
        o.spoolFolder = m_spoolDir.filePath(QStringLiteral("spool"));
        o.spoolKey = QStringLiteral("CallerID-test");
        o.waitMs = 300;
        o.spoolRetryMs = 200;
        o.writer.firstRetryMs = 100;
        o.writer.longestRetryMs = 400;
        return o;
    }

    std::unique_ptr<CallRecorder> started(bool withLog = true, CallRecorder::Options o = {})
    {
        if (o.spoolKey.isEmpty())
            o = options();
        auto recorder = std::make_unique<CallRecorder>(clock);
        heard.listen(*recorder);
        if (withLog)
            recorder->start(o);
        else
            recorder->startWithoutCallLog(o);
        return recorder;
    }

    static void feed(CallRecorder &recorder, const QString &text,
                     const QString &dateSep = QStringLiteral("/"),
                     const QString &timeSep = QStringLiteral(":"))
    {
        QString buffer = text;
        recorder.decode(buffer, dateSep, timeSep);
    }

    // "day number|number" of every row, in the order stored.
    static QStringList rows()
    {
        QStringList out;
        for (const QVariantList &row : queryRows(
                 OdbcSandbox::instance().admin(),
                 QStringLiteral("select datetime + 0 as day, number from idlist order by rowid")))
            out << QStringLiteral("%1|%2").arg(row[0].toDouble(), 0, 'f', 6).arg(row[1].toString());
        return out;
    }

    // The same for calls at one moment.
    static QStringList rowsOf(const QStringList &numbers, const QDateTime &when = k1425)
    {
        QStringList out;
        for (const QString &number : numbers)
            out << QStringLiteral("%1|%2").arg(dates::toDayNumber(when), 0, 'f', 6).arg(number);
        return out;
    }

    std::unique_ptr<CallSpool> openSpool(const QString &folder = {}) const
    {
        auto spool =
            CallSpool::open(folder.isEmpty() ? options().spoolFolder : folder, options().spoolKey);
        EXPECT_TRUE(spool) << qPrintable(spool.errorString());
        return spool ? std::move(spool).value() : nullptr;
    }

    FakeClock clock{dates::makeDateTime(QDate(2002, 10, 13), QTime(15, 0))};
    QTemporaryDir m_spoolDir;
    Heard heard;
};

} // namespace

TEST_F(Recorder, ABurstIsOneDecodingPassStoredWithTheDayNumbersOfItsMoment)
{
    // Whatever the user's separators, the row holds the moment of the report.
    const struct
    {
        const char *date;
        const char *time;
    } separators[] = {{"/", ":"}, {".", "."}, {"-", ""}, {"", " "}};
    auto recorder = started();
    int n = 0;
    QStringList expected;
    for (const auto &sep : separators) {
        QStringList burst;
        for (int i = 0; i < 3; ++i, ++n)
            burst << QString::number(5550100 + n);
        expected << rowsOf(burst);
        feed(*recorder, reports(burst), QString::fromLatin1(sep.date),
             QString::fromLatin1(sep.time));
        ASSERT_EQ(heard.decoded.size(), expected.size() / 3) << sep.date;
        EXPECT_EQ(heard.decoded.last().size(), 3) << "one burst, one signal";
        EXPECT_EQ(heard.decoded.last().last().call.when, k1425) << sep.date;
    }
    ASSERT_TRUE(waitFor([&] { return heard.stored.size() == n; }, 10000));
    EXPECT_EQ(rows(), expected);
    EXPECT_FALSE(recorder->busy());
    // To the last bit what the store writes for the call's stamp.
    db::Connection &admin = OdbcSandbox::instance().admin();
    admin.Execute(QStringLiteral("insert into idlist (datetime, number) values (?, 'STORE')"),
                  {37542.0 + (14 * 60 + 25) / 1440.0});
    const QString sameStamp =
        QStringLiteral("select count(*) from idlist where datetime = "
                       "(select datetime from idlist where number = 'STORE')");
    EXPECT_EQ(queryRows(admin, sameStamp).value(0).value(0).toInt(), n + 1);
    EXPECT_EQ(recorder->waitingCount(), 0);
    EXPECT_TRUE(heard.kept.isEmpty());
}

TEST_F(Recorder, CallsTheLogDoesNotTakeInTimeWaitInTheSpoolAndAreSavedWhenItIsBack)
{
    auto recorder = started();
    SqliteLock lock(OdbcSandbox::instance().sqliteFile());
    feed(*recorder, reports({"5550101", "5550102"}));
    ASSERT_TRUE(waitFor([&] { return heard.kept.size() == 2; }, 10000));
    EXPECT_EQ(recorder->waitingCount(), 2);
    EXPECT_TRUE(heard.stored.isEmpty());

    lock.release();
    ASSERT_TRUE(waitFor([&] { return !heard.waitingSaved.isEmpty(); }, 15000));
    EXPECT_EQ(heard.waitingSaved, QList<qsizetype>{2});
    EXPECT_EQ(heard.savedLater.size(), 2);
    EXPECT_EQ(rows(), rowsOf({"5550101", "5550102"}));
    // Out of the spool once stored: a later run replays nothing.
    recorder.reset();
    EXPECT_TRUE(openSpool()->pending().isEmpty());
}

TEST_F(Recorder, CallsOfAnEarlierRunGoFirstThenTheNewOnes)
{
    const QDateTime earlier = dates::makeDateTime(QDate(2002, 10, 12), QTime(23, 59));
    {
        auto spool = openSpool();
        ASSERT_TRUE(spool->append({{7, Call{earlier, QStringLiteral("OLD1"), {}}},
                                   {8, Call{earlier, QStringLiteral("OLD2"), {}}}}));
    }
    auto recorder = started();
    feed(*recorder, reports({"NEW"}));
    ASSERT_TRUE(
        waitFor([&] { return !heard.waitingSaved.isEmpty() && heard.stored.size() == 1; }, 10000));
    EXPECT_EQ(heard.earlier, 2);
    EXPECT_EQ(heard.waitingSaved, QList<qsizetype>{2});
    EXPECT_GT(heard.decoded.at(0).at(0).id, 8u) << "new ids never meet the spool's";
    EXPECT_EQ(rows(), rowsOf({"OLD1", "OLD2"}, earlier) + rowsOf({"NEW"}));
    recorder.reset();
    EXPECT_TRUE(openSpool()->pending().isEmpty());
}

TEST_F(Recorder, ACallTheSourceRefusesDoesNotHoldBackItsBurstAndIsKeptUntilTaken)
{
    db::Connection &admin = OdbcSandbox::instance().admin();
    admin.Execute(
        QStringLiteral("CREATE TRIGGER NoSpoof BEFORE INSERT ON IDList WHEN "
                       "NEW.number = 'SPOOF' BEGIN SELECT RAISE(ABORT, 'no spoofing'); END"));
    auto recorder = started();
    feed(*recorder, reports({"5550101", "SPOOF", "5550103"}));
    ASSERT_TRUE(waitFor([&] { return heard.stored.size() == 2 && heard.kept.size() == 1; }, 10000));
    EXPECT_EQ(heard.kept.at(0).call.number, QStringLiteral("SPOOF"));
    EXPECT_TRUE(heard.reasons.join(u'\n').contains(QStringLiteral("no spoofing")));
    EXPECT_EQ(rows(), rowsOf({"5550101", "5550103"}));

    // Set aside: not tried again while the connection (and so, as far as anyone can tell,
    // the table) stays as it is, however long; the next connection, here the next run,
    // takes it once the source does.
    admin.Execute(QStringLiteral("DROP TRIGGER NoSpoof"));
    waitFor([] { return false; }, 2500); // the writer's first retry would come after 1 s
    EXPECT_EQ(rows().size(), 2);
    recorder->finish(1500);
    recorder = started();
    ASSERT_TRUE(waitFor([&] { return rows().size() == 3; }, 10000));
    EXPECT_EQ(rows().last(), rowsOf({"SPOOF"}).at(0));
}

TEST_F(Recorder, FinishingPutsEveryCallNotYetStoredIntoTheSpool)
{
    {
        auto recorder = started();
        SqliteLock lock(OdbcSandbox::instance().sqliteFile());
        feed(*recorder, reports({"5550101", "5550102"}));
        QElapsedTimer clockOnFinish;
        clockOnFinish.start();
        // Waiting for the writer would last the data source's 2 s busy timeout at least.
        recorder->finish(200);
        EXPECT_LT(clockOnFinish.elapsed(), 1800);
        lock.release();
    }
    const auto spool = openSpool();
    ASSERT_EQ(spool->pending().size(), 2);
    EXPECT_EQ(spool->pending().at(1).call, (Call{k1425, QStringLiteral("5550102"), {}}));
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(Recorder, WithoutDatabaseSupportCallsAreKeptAtOnce)
{
    CallRecorder::Options patient = options();
    patient.waitMs = 10000;
    auto recorder = started(false, patient);
    // The blank line ends the report at once.
    feed(*recorder, reports({"5550101"}) + QStringLiteral("\r\n"));
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(waitFor([&] { return heard.kept.size() == 1; }, 20000));
    EXPECT_LT(waited.elapsed(), 5000) << "no point waiting for a log there is not";
    recorder.reset();
    EXPECT_EQ(openSpool()->pending().size(), 1);
}

TEST_F(Recorder, ASpoolThatCannotBeWrittenLeavesCallsHeldAndIsTriedAgain)
{
    // A file where the spool's folder should be: nothing can be kept until it goes.
    CallRecorder::Options o = options();
    QFile blocker(o.spoolFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto recorder = started(true, o);
    SqliteLock lock(OdbcSandbox::instance().sqliteFile());
    feed(*recorder, reports({"5550101"}));
    ASSERT_TRUE(waitFor([&] { return heard.unsafe.size() == 1; }, 10000));
    EXPECT_FALSE(heard.reasons.last().isEmpty()) << "the report says why";
    EXPECT_EQ(heard.notes.size(), 1) << "and the start said so once";
    EXPECT_EQ(recorder->waitingCount(), 1);

    ASSERT_TRUE(QFile::remove(o.spoolFolder));
    ASSERT_TRUE(waitFor([&] { return heard.kept.size() == 1; }, 10000));
    lock.release();
    ASSERT_TRUE(waitFor([&] { return heard.waitingSaved == QList<qsizetype>{1}; }, 15000));
    EXPECT_EQ(rows(), rowsOf({"5550101"}));
}

// Something else at the spool's name: the next name keeps the calls, through the end
// (the folder's own refusal: Spool.OpenFailsWithTheReason, then the held calls as above).
TEST_F(Recorder, ASpoolNameNotOursIsSaidOnceAndTheNextNameKeepsTheCalls)
{
    ASSERT_TRUE(QDir().mkpath(options().spoolFolder + u'/' + options().spoolKey + u".spool"_qs));
    auto recorder = started();
    SqliteLock lock(OdbcSandbox::instance().sqliteFile());
    feed(*recorder, reports({"5550101"}));
    ASSERT_TRUE(waitFor([&] { return heard.kept.size() == 1; }, 10000)) << "not held in memory";
    EXPECT_EQ(heard.notes.size(), 1);
    recorder->finish(1500);
    recorder.reset();
    EXPECT_EQ(openSpool()->pending().value(0).call.number, u"5550101"_qs);
}

// A crafted spool (a record and a stray byte, over and over) neither holds a live call
// back nor floods the receive log.
TEST_F(Recorder, ALiveCallIsStoredPromptlyWhateverTheSpoolHolds)
{
    QFile file(options().spoolFolder + u'/' + options().spoolKey + u".spool"_qs);
    ASSERT_TRUE(openSpool()->append({{7, Call{k1425.addDays(-1), u"OLD"_qs, {}}}}));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray record = file.readAll() + 'x';
    file.seek(0);
    file.write(record.repeated(10 * 1024 * 1024 / record.size()));
    file.close();
    CallRecorder::Options o = options();
    o.spoolReadGraceMs = 0; // and the usual second is a bound on top of it
    auto recorder = started(true, o);
    feed(*recorder, reports({"NEW"}) + u"\r\n"_qs);
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(waitFor([&] { return rows().size() == 2; }, 20000));
    EXPECT_LT(waited.elapsed(), 5000);
    EXPECT_LE(heard.notes.size(), 11) << "the first damage and a count of the rest";
}

TEST_F(Recorder, HeldCallsAreBoundedAndTheLineIsReadAgainOnceTheyAreStored)
{
    // The limit reached before the spool was read, and long after (the usual case: a
    // flood while the log is away).
    for (const bool spoolReadFirst : {false, true}) {
        SCOPED_TRACE(spoolReadFirst ? "spool read first" : "limit reached first");
        OdbcSandbox::instance().resetCallLog();
        heard = Heard();
        CallRecorder::Options o = options();
        o.memoryLimit = 3;
        auto recorder = started(true, o);
        if (spoolReadFirst) {
            feed(*recorder, reports({"0"}));
            ASSERT_TRUE(waitFor([&] { return heard.stored.size() == 1; }, 15000));
        }
        SqliteLock lock(OdbcSandbox::instance().sqliteFile());
        feed(*recorder, reports({"1", "2"}));
        EXPECT_FALSE(recorder->full());
        feed(*recorder, reports({"3"}));
        EXPECT_TRUE(recorder->full());
        lock.release();
        ASSERT_TRUE(waitFor([&] { return heard.rooms == 1; }, 15000));
        EXPECT_FALSE(recorder->full());
    }
}

TEST_F(Recorder, AFullDiskUnderTheLogAndTheSpoolLosesNoCallOnceSpaceIsFreed)
{
    if (!smalldisk::inOwnMountNamespace("Recorder.AFullDisk*", 90000))
        return;
    const QString disk = m_spoolDir.filePath(QStringLiteral("disk"));
    const smalldisk::Tmpfs mounted(disk, "256k");
    if (!mounted.mounted())
        return;

    // The log and the spool on the one small disk.
    const QString log = disk + QStringLiteral("/calllog.db");
    QFile(log).open(QIODevice::WriteOnly);
    const QString connectionString =
        QStringLiteral(
            "DRIVER=%1;Database=%2;NoCreat=1;JournalMode=WAL;SyncPragma=FULL;Timeout=500;")
            .arg(OdbcSandbox::instance().sqliteDriver(), log);
    auto numbers = [&] {
        db::Connection reader;
        reader.Open(connectionString, {}, {}, -1);
        QStringList out;
        for (const QVariantList &row :
             queryRows(reader, QStringLiteral("select number from idlist order by rowid")))
            out << row[0].toString();
        return out;
    };
    {
        db::Connection admin;
        admin.Open(connectionString, {}, {}, -1);
        if (const Result<void> made = CallLog::create(admin); !made)
        throw made.failure();
    }
    CallRecorder::Options o = options();
    o.spoolFolder = disk + QStringLiteral("/spool");
    o.writer.connectionString = connectionString;
    auto recorder = started(true, o);
    feed(*recorder, reports({"5550100"}));
    ASSERT_TRUE(waitFor([&] { return heard.stored.size() == 1; }, 10000));

    // Kept full: a log that closes its connection gives back its journal's pages.
    const QString filler = disk + QStringLiteral("/filler");
    smalldisk::fill(filler);

    // Both reports end in this pass (the blank line), so the two calls wait together.
    feed(*recorder, reports({"5550101", "5550102"}) + u"\r\n"_qs);
    ASSERT_TRUE(waitFor(
        [&] {
            smalldisk::fill(filler);
            return heard.unsafe.size() == 2;
        },
        15000))
        << "the calls are not yet safe, and said so";
    EXPECT_TRUE(heard.reasons.last().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << qPrintable(heard.reasons.last());
    EXPECT_EQ(recorder->waitingCount(), 2);

    ASSERT_TRUE(QFile::remove(filler));
    ASSERT_TRUE(waitFor([&] { return heard.waitingSaved == QList<qsizetype>{2}; }, 20000));
    EXPECT_EQ(numbers(), QStringList({"5550100", "5550101", "5550102"}));
    recorder.reset();
    const auto spool = openSpool(o.spoolFolder);
    ASSERT_TRUE(spool);
    EXPECT_TRUE(spool->pending().isEmpty());
    EXPECT_TRUE(spool->notes().isEmpty());
}

// The name comes with the report's end: a blank line at once, else the report hold; a NAME
// after that belongs to no call. Each row is written once, with its name; a call waiting
// in the spool keeps its name.
TEST_F(Recorder, ANameFindsItsCallAndItsRowIsWrittenOnceTheReportCloses)
{
    if (const Result<bool> added = CallLog::addNameColumn(OdbcSandbox::instance().admin()); !added)
        throw added.failure();
    {
        auto recorder = started();
        SqliteLock lock(OdbcSandbox::instance().sqliteFile());
        feed(*recorder, QStringLiteral("NMBR = 0\r\nNAME = SPOOLED\r\n\r\n"));
        recorder->finish(1500);
    }
    heard = Heard();
    auto recorder = started();
    feed(*recorder, QStringLiteral("NMBR = 1\r\nNAME = <B>ANN</B> &AMP; 'O'\r\n\r\n"));
    ASSERT_EQ(heard.completed.size(), 1) << "a blank line ends the report at once";
    feed(*recorder, QStringLiteral("NAME = BOB\r\nNMBR = 2\r\n"));
    EXPECT_EQ(heard.completed.size(), 1) << "held open after its number line";
    ASSERT_TRUE(waitFor([&] { return heard.completed.size() == 2; }, 5000));
    feed(*recorder, QStringLiteral("NMBR = 3\r\n"));
    ASSERT_TRUE(waitFor([&] { return heard.completed.size() == 3; }, 5000));
    feed(*recorder, QStringLiteral("NAME = LATE\r\n"));

    ASSERT_TRUE(
        waitFor([&] { return heard.stored.size() == 3 && !heard.waitingSaved.isEmpty(); }, 10000));
    QStringList rows;
    for (const QVariantList &row :
         queryRows(OdbcSandbox::instance().admin(),
                   QStringLiteral("select number, name from idlist order by rowid")))
        rows << row[0].toString() + u'|' + (row[1].isNull() ? u"NULL"_qs : row[1].toString());
    EXPECT_EQ(rows, (QStringList{u"0|SPOOLED"_qs, u"1|<B>ANN</B> &AMP; 'O'"_qs, u"2|BOB"_qs,
                                 u"3|NULL"_qs}));
}

TEST(UnansweredCommit, ACallCountsAsStoredOnlyWhenItsRowsGrewByAllItsCopies)
{
    const QDateTime at = k1425;
    const SpooledCall a1{1, Call{at, QStringLiteral("555"), {}}};
    const SpooledCall a2{2, Call{at, QStringLiteral("555"), {}}};
    const SpooledCall b{3, Call{at.addSecs(60), QStringLiteral("555"), {}}};
    const SpooledCall empty{4, Call{at, QString(), {}}};
    auto counts = [](std::initializer_list<std::pair<const SpooledCall *, qint64>> rows) {
        RowCounts c;
        for (const auto &[call, n] : rows)
            c.insert(rowKey(call->call), n);
        return c;
    };
    const struct
    {
        const char *what;
        QList<SpooledCall> calls;
        RowCounts before;
        RowCounts after;
        QList<quint64> stored;
    } cases[] = {
        {"committed", {a1}, {}, counts({{&a1, 1}}), {1}},
        {"not committed", {a1}, {}, {}, {}},
        {"an equal row was there before", {a1}, counts({{&a1, 1}}), counts({{&a1, 1}}), {}},
        {"two equal calls, both rows", {a1, a2}, counts({{&a1, 1}}), counts({{&a1, 3}}), {1, 2}},
        {"two equal calls, one row more: stored again", {a1, a2}, {}, counts({{&a1, 1}}), {}},
        {"only one minute's row grew", {a1, b}, {}, counts({{&b, 1}}), {3}},
        {"an empty number", {empty}, {}, counts({{&empty, 1}}), {4}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(storedDespiteDoubt(c.calls, c.before, c.after), c.stored) << c.what;
}
