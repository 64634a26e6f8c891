// The spool of waiting calls on real files: damaged bytes, hostile text, locales,
// permissions, a second and a crashed instance, stored marks and a full disk.

#include "calllog/CallSpool.h"
#include "platform/LockedFile.h"

#include "locale/DateServices.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/SmallDisk.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/stat.h>

namespace {

QDateTime at(int hour, int minute)
{
    return dates::makeDateTime(QDate(2026, 12, 9), QTime(hour, minute));
}

SpooledCall call(quint64 id, const QString &number, const QDateTime &when = at(10, 15),
                 const QString &name = {})
{
    return {id, Call{when, number, name}};
}

QStringList numbers(const QList<SpooledCall> &calls)
{
    QStringList list;
    for (const SpooledCall &c : calls)
        list.append(c.call.number);
    return list;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void overwrite(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

mode_t modeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class Spool : public ::testing::Test
{
protected:
    QString folder() const { return m_dir.filePath(QStringLiteral("state/ringvane")); }
    QString slot(int n) const
    {
        return folder() + (n == 1 ? QStringLiteral("/%1.spool").arg(Key)
                                  : QStringLiteral("/%1-%2.spool").arg(Key).arg(n));
    }
    std::unique_ptr<CallSpool> open() const
    {
        auto spool = CallSpool::open(folder(), Key);
        EXPECT_TRUE(spool) << qPrintable(spool.errorString());
        return spool ? std::move(spool).value() : nullptr;
    }

    static inline const QString Key = QStringLiteral("CallerID-0123abcd");
    QTemporaryDir m_dir;
};

TEST_F(Spool, DamagedBytesAreSkippedWithOneLineAndHideNoCallAfterThem)
{
    // The middle call's number is itself a whole record: a reader that lands inside the torn
    // middle record must not take it for a call.
    QByteArray forged;
    {
        auto scratch = CallSpool::open(m_dir.filePath(QStringLiteral("scratch")), Key).value();
        ASSERT_TRUE(scratch->append({call(7, QStringLiteral("FORGED"))}));
        forged = contents(scratch->path());
    }
    const QStringList all = {QStringLiteral("5550101"), QString::fromLatin1(forged),
                             QStringLiteral("5550303")};
    qint64 end[4] = {0, 0, 0, 0};
    {
        auto spool = open();
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(spool->append({call(i + 1, all[i])}));
            end[i + 1] = QFileInfo(spool->path()).size();
        }
    }
    const QByteArray whole = contents(slot(1));
    const QStringList firstTwo = all.mid(0, 2), outer = {all[0], all[2]};
    static constexpr char Garbage[] = "\x1eRVS1 0000ffff x\r\n\0\x1e\x1eRVS";
    static constexpr char Junk[] = "\n\r\0junk";
    QByteArray flipped = whole;
    flipped[end[1] + 40] = char(flipped[end[1] + 40] ^ 0x01);
    const struct
    {
        const char *what;
        QByteArray bytes;
        QStringList expected;
    } cases[] = {
        {"last record torn", whole.left(end[2] + 20), firstTwo},
        {"last record without its line end", whole.left(end[3] - 1), firstTwo},
        {"middle record torn inside the forged one",
         whole.left((end[1] + end[2]) / 2) + whole.mid(end[2]), outer},
        {"middle record torn at its start", whole.left(end[1] + 3) + whole.mid(end[2]), outer},
        {"one bit flipped in the middle record", flipped, outer},
        {"garbage appended", whole + QByteArray(Garbage, sizeof Garbage - 1), all},
        {"garbage in front", QByteArray(Junk, sizeof Junk - 1) + whole, all},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        overwrite(slot(1), c.bytes);
        {
            auto spool = open();
            EXPECT_EQ(numbers(spool->pending()), c.expected);
            ASSERT_EQ(spool->notes().size(), 1);
            EXPECT_TRUE(spool->notes()[0].contains(QLatin1String("damaged entry")));
        }
        // Read once, the damage is gone and the calls are still there.
        auto again = open();
        EXPECT_EQ(numbers(again->pending()), c.expected);
        EXPECT_TRUE(again->notes().isEmpty());
    }
}

TEST_F(Spool, ACraftedRunOfRecordMarkersIsReadInLinearTime)
{
    // Each marker once made the reader search the rest of the file: 4 MB took 47 s.
    {
        auto spool = open();
        ASSERT_TRUE(spool->append({call(1, QStringLiteral("5550101"))}));
    }
    const QByteArray valid = contents(slot(1));
    const struct
    {
        const char *what;
        QByteArray unit;
    } cases[] = {
        {"bare markers", QByteArrayLiteral("\x1eRVS")},
        {"markers with a version", QByteArrayLiteral("\x1eRVS1")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        overwrite(slot(1), valid + c.unit.repeated(4 * 1024 * 1024 / c.unit.size()));
        QElapsedTimer timer;
        timer.start();
        auto spool = open();
        EXPECT_LT(timer.elapsed(), 10000);
        EXPECT_EQ(numbers(spool->pending()), QStringList{QStringLiteral("5550101")});
        EXPECT_EQ(spool->notes().size(), 1);
    }
}

TEST_F(Spool, HostileNumbersAndNamesComeBackExactly)
{
    QByteArray noise(4096, '\0');
    QRandomGenerator random(15);
    for (char &b : noise)
        b = char(random.bounded(256));
    const QString texts[] = {
        QString(),
        QStringLiteral("\x1eRVS1 00000010 00000000 call id=1\n"),
        QStringLiteral("\r\n\r\nNMBR = 1\r\n"),
        QString(QChar(0)) + QStringLiteral("55") + QChar(0),
        QStringLiteral("100% = a=b c=d, +49 30 ,"),
        QStringLiteral("Müller 李 \u00e9\U0001F4DE"),
        QString(4096, QLatin1Char('9')),
        QString::fromUtf8(noise),
    };
    QList<SpooledCall> kept;
    for (const QString &number : texts) {
        for (const QString &name : texts) {
            const int n = int(kept.size());
            kept.append(call(quint64(n) + 1, number, at(n % 24, n % 60), name));
        }
    }
    {
        auto spool = open();
        ASSERT_TRUE(spool->append(kept));
    }
    auto spool = open();
    EXPECT_TRUE(spool->pending() == kept);
    EXPECT_TRUE(spool->notes().isEmpty());
}

TEST_F(Spool, DateTimesDoNotDependOnTheRegionalSettings)
{
    const QDateTime when = at(10, 15);
    {
        LocaleScope german("de_DE.UTF-8");
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        ASSERT_TRUE(open()->append({call(1, QStringLiteral("5550123"), when)}));
    }
    LocaleScope american("en_US.UTF-8");
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    EXPECT_TRUE(contents(slot(1)).contains(" at=2026-12-09T10:15 "));
    auto spool = open();
    QLocale::setDefault(QLocale::c());
    ASSERT_EQ(spool->pending().size(), 1);
    EXPECT_EQ(spool->pending()[0].call.when, when);
}

TEST_F(Spool, OnlyTheUserCanReadTheFile)
{
    const mode_t oldMask = ::umask(0);
    // One others could write to is left alone: NotOursIsLeftAloneAndTheNextFreeNameUsed.
    for (const mode_t found : {mode_t(0), mode_t(0644)}) {
        SCOPED_TRACE(found);
        if (found) {
            overwrite(slot(1), {});
            ::chmod(QFile::encodeName(slot(1)).constData(), found);
        }
        auto spool = open();
        ASSERT_TRUE(spool->append({call(1, QStringLiteral("1"))}));
        EXPECT_EQ(modeOf(spool->path()), mode_t(0600));
        EXPECT_EQ(modeOf(folder()), mode_t(0700));
        EXPECT_TRUE(spool->markStored({1}));
    }
    ::umask(oldMask);
}

TEST_F(Spool, OpenFailsWithTheReason)
{
    overwrite(m_dir.filePath(QStringLiteral("file")), "x");
    // Folders others may write to, or a link: anything in them could be forged.
    const QString shared = m_dir.filePath(QStringLiteral("shared")), link = folder() + u"2"_qs;
    ASSERT_TRUE(QDir().mkpath(shared) && QDir().mkpath(folder()));
    ::chmod(QFile::encodeName(shared).constData(), 01777);
    QFile::link(folder(), link);
    const struct
    {
        QString folder;
        QString key;
        const char *reason;
    } cases[] = {
        {m_dir.filePath(QStringLiteral("file/ringvane")), Key, "Not a directory"},
        {folder(), QStringLiteral("../CallerID"), "cannot name"},
        {folder(), QString(), "cannot name"},
        {shared, Key, "other users may write to it; \"chmod go-w"},
        {link, Key, "symbolic link; remove or rename it"},
    };
    for (const auto &c : cases) {
        const auto opened = CallSpool::open(c.folder, c.key);
        EXPECT_FALSE(opened);
        const QString error = opened.errorString();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << qPrintable(error);
    }
}

// Calls in a file others could have written may be forged; what is no file holds none.
// Either is left as it is, said once, and the calls go under the next free name.
TEST_F(Spool, NotOursIsLeftAloneAndTheNextFreeNameUsed)
{
    const QString forged = m_dir.filePath(QStringLiteral("forged"));
    ASSERT_TRUE(CallSpool::open(forged, Key).value()->append({call(1, u"FORGED"_qs)}));
    const auto place = [&](int n, mode_t mode) {
        QFile::copy(forged + u'/' + Key + u".spool"_qs, slot(n));
        ::chmod(QFile::encodeName(slot(n)).constData(), mode);
    };
    const struct
    {
        std::function<void()> place;
        int left, used; // the slot left alone, the slot the spool takes
        const char *why;
    } cases[] = {
        {[&] { QFile::link(forged, slot(1)); }, 1, 2, "symbolic link"},
        {[&] { QDir().mkpath(slot(1)); }, 1, 2, "not a regular file"},
        {[&] { ::mkfifo(QFile::encodeName(slot(1)).constData(), 0600); }, 1, 2, "not a regular"},
        {[&] { place(1, 0666); }, 1, 2, "other users may write"},
        {[&] { place(3, 0620); }, 3, 1, "other users may write"}, // a sibling
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        QDir(folder()).removeRecursively();
        ASSERT_TRUE(LockedFile::makeOwnFolder(folder()));
        c.place();
        const QFileInfo before(slot(c.left));
        auto spool = open();
        EXPECT_EQ(spool->path(), slot(c.used));
        EXPECT_TRUE(spool->pending().isEmpty()) << "its calls are not read";
        const QString note = spool->notes().join(u'\n');
        EXPECT_TRUE(spool->notes().size() == 1 && note.contains(QLatin1String(c.why)) &&
                    note.contains(QFileInfo(slot(c.used)).fileName()))
            << qPrintable(note);
        spool.reset();
        const QFileInfo after(slot(c.left));
        EXPECT_TRUE(after.exists() && after.permissions() == before.permissions() &&
                    after.size() == before.size());
    }
}

// The owner: a test cannot make a file another user's.
TEST(SpoolSafety, OnlyTheUsersOwnFilesNoOneElseMayWriteAreUsed)
{
    const quint32 me = 1000;
    const struct
    {
        bool folder;
        mode_t mode;
        quint32 owner;
        const char *why; // "" when safe
    } cases[] = {
        {false, S_IFREG | 0644, me, ""},
        {false, S_IFREG | 0600, 0, "another user"},
        {true, S_IFDIR | 0700, 1001, "another user"},
        {true, S_IFDIR | 01777, me, "may write"},
        {true, S_IFREG | 0700, me, "not a folder"},
    };
    for (const auto &c : cases) {
        const QString why = LockedFile::unsafeBecause(c.folder, c.mode, c.owner, me);
        EXPECT_TRUE(*c.why ? why.contains(QLatin1String(c.why)) : why.isEmpty())
            << std::oct << c.mode << " " << qPrintable(why);
    }
}

TEST_F(Spool, ASecondInstanceGetsItsOwnAndACrashedOnesCallsAreTakenOver)
{
    auto first = open();
    ASSERT_TRUE(first->append(
        {call(1, QStringLiteral("A"), at(10, 0)), call(2, QStringLiteral("C"), at(10, 2))}));
    QProcess holder;
    holder.start(QStringLiteral(RINGVANE_SPOOL_HOLDER),
                 {folder(), Key, QStringLiteral("B@2026-12-09T10:01"),
                  QStringLiteral("D@2026-12-09T10:03")});
    ASSERT_TRUE(holder.waitForReadyRead(20000)) << holder.readAllStandardError().constData();
    EXPECT_EQ(QString::fromLocal8Bit(holder.readLine()).trimmed(), slot(2));
    {
        // Both files are held: a third instance takes neither one's calls.
        auto third = open();
        EXPECT_EQ(third->path(), slot(3));
        EXPECT_EQ(third->waitingCount(), 0);
    }
    ::kill(pid_t(holder.processId()), SIGKILL);
    holder.waitForFinished(20000);
    first.reset();
    overwrite(slot(1) + QStringLiteral(".new"), "left by a crash during a rewrite");

    auto next = open();
    EXPECT_EQ(next->path(), slot(1));
    const QList<SpooledCall> pending = next->pending();
    EXPECT_EQ(numbers(pending), QStringList({"A", "B", "C", "D"}));
    QSet<quint64> ids;
    for (const SpooledCall &c : pending)
        ids.insert(c.id);
    EXPECT_EQ(ids.size(), 4);
    for (const QString &gone : {slot(2), slot(3), slot(1) + QStringLiteral(".new")})
        EXPECT_FALSE(QFile::exists(gone)) << qPrintable(gone);
}

TEST_F(Spool, OnlyTheKeysOwnFilesAreTakenOver)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    int made = 0;
    const auto leave = [&](const QString &name) {
        const QString scratchFolder = m_dir.filePath(QStringLiteral("scratch%1").arg(++made));
        ASSERT_TRUE(CallSpool::open(scratchFolder, Key).value()->append({call(1, name)}));
        overwrite(folder() + QLatin1Char('/') + name,
                  contents(scratchFolder + QLatin1Char('/') + Key + ".spool"));
    };
    const QString sibling = Key + QStringLiteral("-17.spool");
    leave(sibling);
    QStringList strangers;
    for (const QString &slot : {QStringLiteral("-"), QStringLiteral("-2x"), QStringLiteral("--2"),
                                QStringLiteral("0"), QStringLiteral("-") + QChar(0x0662)})
        strangers << Key + slot + QStringLiteral(".spool");
    strangers << Key + QStringLiteral("-2.spool.old") << Key + QStringLiteral(".SPOOL")
              << QStringLiteral("x") + Key + QStringLiteral(".spool") << QStringLiteral(".spool");
    for (const QString &name : strangers)
        leave(name);

    auto spool = open();
    EXPECT_EQ(spool->path(), slot(1));
    EXPECT_EQ(numbers(spool->pending()), QStringList{sibling});
    EXPECT_FALSE(QFile::exists(folder() + QLatin1Char('/') + sibling));
    for (const QString &name : strangers)
        EXPECT_TRUE(QFile::exists(folder() + QLatin1Char('/') + name)) << qPrintable(name);
}

TEST_F(Spool, StoredCallsLeaveAndTheFileDoesNotGrowForEver)
{
    {
        auto spool = open();
        ASSERT_TRUE(spool->append({call(1, QStringLiteral("A")), call(2, QStringLiteral("B")),
                                   call(3, QStringLiteral("C"))}));
        const Result<void> again = spool->append({call(2, QStringLiteral("again"))});
        EXPECT_FALSE(again);
        EXPECT_TRUE(again.errorString().contains(QLatin1String("already waiting")));
        EXPECT_TRUE(spool->markStored({2, 99}));
        EXPECT_EQ(spool->nextFreeId(), 4u);
    }
    {
        auto spool = open();
        EXPECT_EQ(numbers(spool->pending()), QStringList({"A", "C"}));
        EXPECT_TRUE(spool->markStored({1, 3}));
        EXPECT_EQ(QFileInfo(slot(1)).size(), 0);
    }
    EXPECT_FALSE(QFile::exists(slot(1)));

    // A long outage replayed in batches while new calls keep coming.
    auto spool = open();
    qint64 largest = 0;
    const QString number(40, QLatin1Char('5'));
    for (quint64 batch = 0; batch < 40; ++batch) {
        QList<SpooledCall> calls;
        for (quint64 i = 0; i < 100; ++i)
            calls.append(call(batch * 100 + i + 1, number));
        ASSERT_TRUE(spool->append(calls));
        if (batch > 0) {
            QList<quint64> done;
            for (quint64 i = 0; i < 100; ++i)
                done.append((batch - 1) * 100 + i + 1);
            ASSERT_TRUE(spool->markStored(done));
        }
        largest = qMax(largest, QFileInfo(spool->path()).size());
    }
    EXPECT_LT(largest, 128 * 1024);
    spool.reset();
    EXPECT_EQ(open()->pending().constFirst().id, 3901u);
}

// A hung-up call keeps its mark while it waits; a call not hung up on is written as the
// release before the mark wrote it, and such records read.
TEST_F(Spool, AHungUpCallKeepsItsMarkAndEarlierRecordsStillRead)
{
    SpooledCall blocked = call(1, QStringLiteral("08001234567"), at(10, 15), QStringLiteral("V"));
    blocked.call.blocked = true;
    ASSERT_TRUE(open()->append({blocked, call(2, u"5550123"_qs)}));
    EXPECT_EQ(open()->pending(), (QList<SpooledCall>{blocked, call(2, u"5550123"_qs)}));

    const QByteArray earlier("\x1eRVS1 00000035 f92d52f4 call id=1 at=2026-12-09T10:15 "
                             "number=5550123 name=ANN\n");
    EXPECT_EQ(spoolrecord::encodeCall(call(1, u"5550123"_qs, at(10, 15), u"ANN"_qs)), earlier);
    const spoolrecord::Contents read = spoolrecord::decode(earlier);
    ASSERT_EQ(read.waiting.size(), 1);
    EXPECT_EQ(read.waiting[0].call, call(1, u"5550123"_qs, at(10, 15), u"ANN"_qs));
}

TEST_F(Spool, AFullDiskFailsWithTheReasonAndCorruptsNothing)
{
    if (!smalldisk::inOwnMountNamespace("Spool.AFullDisk*", 50000))
        return;
    const smalldisk::Tmpfs disk(m_dir.filePath(QStringLiteral("state")), "64k");
    if (!disk.mounted())
        return;
    const QString filler = m_dir.filePath(QStringLiteral("state/filler"));
    const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    // Ids of 19 digits make a stored mark for 300 calls larger than a page.
    const quint64 base = 1'000'000'000'000'000'000ull;
    {
        auto spool = open();
        QList<SpooledCall> calls;
        for (quint64 i = 0; i < 400; ++i)
            calls.append(call(base + i, QStringLiteral("5550%1").arg(i)));
        ASSERT_TRUE(spool->append(calls));
        const qint64 before = QFileInfo(spool->path()).size();
        smalldisk::fill(filler);

        const QString big(4096, QLatin1Char('7'));
        const Result<void> appended = spool->append({call(1, big), call(2, big), call(3, big)});
        EXPECT_FALSE(appended);
        EXPECT_TRUE(appended.errorString().endsWith(noSpace)) << qPrintable(appended.errorString());
        EXPECT_EQ(QFileInfo(spool->path()).size(), before);

        QList<quint64> done;
        for (quint64 i = 0; i < 300; ++i)
            done.append(base + i);
        const Result<void> marked = spool->markStored(done);
        EXPECT_FALSE(marked);
        EXPECT_TRUE(marked.errorString().endsWith(noSpace));
        EXPECT_EQ(spool->waitingCount(), 100);

        QFile::remove(filler);
        const Result<void> again = spool->append({call(1, big)});
        EXPECT_TRUE(again) << qPrintable(again.errorString());
    }
    {
        auto spool = open();
        EXPECT_TRUE(spool->notes().isEmpty()) << qPrintable(spool->notes().join('\n'));
        ASSERT_EQ(spool->waitingCount(), 101);
        EXPECT_EQ(spool->pending().constFirst().id, base + 300);
        EXPECT_EQ(spool->pending().constLast().call.number.size(), 4096);

        // With every call stored the file is emptied, which needs no space.
        smalldisk::fill(filler);
        QList<quint64> all;
        for (const SpooledCall &c : spool->pending())
            all.append(c.id);
        const Result<void> marked = spool->markStored(all);
        EXPECT_TRUE(marked) << qPrintable(marked.errorString());
        EXPECT_EQ(QFileInfo(spool->path()).size(), 0);
    }
}

TEST(SpoolNames, AreSafeFileNamesPerDataSourceInTheStateFolder)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
    overwrite(ini, "[CallerID]\n");
    const QString key = CallSpool::dataSourceKey(ini, QStringLiteral("CallerID"));
    EXPECT_TRUE(key.startsWith(QLatin1String("CallerID-")));
    const QString current = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_EQ(CallSpool::dataSourceKey(QStringLiteral("./odbc.ini"), QStringLiteral("CallerID")),
              key);
    QDir::setCurrent(current);
    EXPECT_NE(CallSpool::dataSourceKey(ini + QLatin1Char('2'), QStringLiteral("CallerID")), key);
    EXPECT_NE(CallSpool::dataSourceKey(ini, QStringLiteral("CallerId")), key);
    for (const char *dsn : {"../../etc/passwd", "", ".hidden", "a b/c\\d\n"}) {
        const QString hostile = CallSpool::dataSourceKey(ini, QString::fromLatin1(dsn));
        EXPECT_FALSE(hostile.startsWith(QLatin1Char('.')) || hostile.contains(QLatin1Char('/')) ||
                     hostile.contains(QLatin1Char('\n')))
            << qPrintable(hostile);
    }

    const bool wasSet = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    for (const char *state : {"/var/state", "relative/state", ""}) {
        qputenv("XDG_STATE_HOME", state);
        EXPECT_EQ(CallSpool::defaultFolder(),
                  *state == '/' ? QStringLiteral("/var/state/ringvane")
                                : QDir::homePath() + QStringLiteral("/.local/state/ringvane"));
    }
    if (wasSet)
        qputenv("XDG_STATE_HOME", saved);
    else
        qunsetenv("XDG_STATE_HOME");
}

} // namespace
