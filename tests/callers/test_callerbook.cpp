#include "callers/CallerBook.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestHelpers.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <mutex>

namespace {

// A phonebook another program edits: what the next read finds, or why it cannot be read.
class EditedSource
{
public:
    CallerBook::Source source()
    {
        return [this]() -> Result<CallerBook::Entries> {
            const std::lock_guard lock(m_mutex);
            ++m_reads;
            if (!m_failure.isEmpty())
                return Failure(0, m_failure);
            return m_entries;
        };
    }
    void set(const CallerBook::Entries &entries, const QString &failure = {})
    {
        const std::lock_guard lock(m_mutex);
        m_entries = entries;
        m_failure = failure;
    }
    int reads()
    {
        const std::lock_guard lock(m_mutex);
        return m_reads;
    }

private:
    std::mutex m_mutex;
    CallerBook::Entries m_entries;
    QString m_failure;
    int m_reads = 0;
};

} // namespace

TEST(CallerBook, AContactShowsAsItsNumberIsWrittenAndEditsShowOnTheNextRead)
{
    LocaleScope locale("en_GB.UTF-8");
    EditedSource edited;
    edited.set({{QStringLiteral("+44 20 7946 0958"), QStringLiteral("Mum")}});
    CallerBook book(edited.source(), QStringLiteral("GB"), QLocale(QStringLiteral("en_GB")));
    QSignalSpy changed(&book, &CallerBook::changed);
    // Before the first read the caller is shown as the line gives it.
    EXPECT_TRUE(book.describe(QStringLiteral("02079460958"), {}).contact.isEmpty());
    book.start(50);
    ASSERT_TRUE(waitFor([&] { return changed.size() == 1; }));

    const CallerBook::Caller mum = book.describe(QStringLiteral("02079460958"), {});
    EXPECT_EQ(mum.contact, QStringLiteral("Mum"));
    EXPECT_EQ(mum.number, QStringLiteral("020 7946 0958"));
    EXPECT_TRUE(mum.place.isEmpty()) << "a named caller needs no place";
    EXPECT_EQ(book.describe(QStringLiteral("00442079460958"), {}).contact, QStringLiteral("Mum"));

    const CallerBook::Caller unknown = book.describe(QStringLiteral("02079460000"), {});
    EXPECT_TRUE(unknown.contact.isEmpty());
    EXPECT_EQ(unknown.place, QStringLiteral("London"));
    EXPECT_TRUE(
        book.describe(QStringLiteral("02079460000"), QStringLiteral("ACME")).place.isEmpty());

    // Another program adds a range and renames the contact; reads that find nothing new
    // change nothing.
    const int reads = edited.reads();
    ASSERT_TRUE(waitFor([&] { return edited.reads() >= reads + 3; }));
    EXPECT_EQ(changed.size(), 1);
    edited.set({{QStringLiteral("+44 20 7946 0958"), QStringLiteral("Mother")},
                {QStringLiteral("0800*"), QStringLiteral("Freephone")}});
    ASSERT_TRUE(waitFor([&] { return changed.size() == 2; }));
    EXPECT_EQ(book.describe(QStringLiteral("02079460958"), {}).contact, QStringLiteral("Mother"));
    EXPECT_EQ(book.describe(QStringLiteral("08001234567"), {}).contact,
              QStringLiteral("Freephone"));
}

TEST(CallerBook, APhonebookThatCannotBeReadIsSaidOnceAndKeepsWhatWasKnown)
{
    LocaleScope locale("en_GB.UTF-8");
    EditedSource edited;
    edited.set({{QStringLiteral("02079460958"), QStringLiteral("Mum")}});
    CallerBook book(edited.source(), QStringLiteral("GB"), QLocale(QStringLiteral("en_GB")));
    QSignalSpy changed(&book, &CallerBook::changed);
    QSignalSpy unreadable(&book, &CallerBook::unreadable);
    book.start(50);
    ASSERT_TRUE(waitFor([&] { return changed.size() == 1; }));

    edited.set({}, QStringLiteral("no such table: Phonebook"));
    const int reads = edited.reads();
    ASSERT_TRUE(waitFor([&] { return edited.reads() >= reads + 3; }));
    ASSERT_EQ(unreadable.size(), 1);
    EXPECT_EQ(unreadable.at(0).at(0).toString(), QStringLiteral("no such table: Phonebook"));
    EXPECT_EQ(book.describe(QStringLiteral("02079460958"), {}).contact, QStringLiteral("Mum"));

    // Readable again, then not: said again.
    edited.set({{QStringLiteral("02079460958"), QStringLiteral("Mum")}});
    const int again = edited.reads();
    ASSERT_TRUE(waitFor([&] { return edited.reads() >= again + 2; }));
    edited.set({}, QStringLiteral("server closed the connection"));
    ASSERT_TRUE(waitFor([&] { return unreadable.size() == 2; }));
    EXPECT_EQ(changed.size(), 1);
}

TEST(CallerBook, EachCallOfABurstIsScreenedAndShownByItsOwnEntryAndEditsCountAtTheNextRead)
{
    LocaleScope locale("en_GB.UTF-8");
    EditedSource edited;
    CallerBook::Entries entries{{u"+44 20 7946 0958"_qs, u"Mum"_qs},
                                {u"0800 123*"_qs, {}, u"block"_qs},
                                {u"07700 900123"_qs, u"Pat"_qs, u"block"_qs},
                                {u"+44 161 496*"_qs, u"Office"_qs, u"allow"_qs}};
    edited.set(entries);
    CallerBook book(edited.source(), u"GB"_qs, QLocale(u"en_GB"_qs));
    QSignalSpy changed(&book, &CallerBook::changed);
    book.start(50);
    ASSERT_TRUE(waitFor([&] { return changed.size() == 1; }));
    ScreenRules rules;
    rules.mode = ScreenRules::Mode::List;

    struct Row
    {
        QString number; // as the line sends it
        QString entry;
        QString contact;
        bool hangUp;
    };
    // More numbers than the book remembers, so that some are looked up anew on each round.
    QList<Row> rows{{u"02079460958"_qs, u"+44 20 7946 0958"_qs, u"Mum"_qs, false},
                    {u"08001234567"_qs, u"0800 123*"_qs, {}, true},
                    {u"08009999999"_qs, {}, {}, false},
                    {u"07700900123"_qs, u"07700 900123"_qs, u"Pat"_qs, true},
                    {u"01614960000"_qs, u"+44 161 496*"_qs, u"Office"_qs, false}};
    for (int i = 0; i < 6; ++i)
        rows.append({u"0207946000"_qs + QString::number(i), {}, {}, false});
    for (int round = 0; round < 2; ++round) {
        for (const Row &row : std::as_const(rows)) {
            SCOPED_TRACE(row.number.toStdString());
            EXPECT_EQ(book.screen(row.number, std::nullopt, rules).hangUp, row.hangUp);
            EXPECT_EQ(book.describe(row.number, {}).contact, row.contact);
            EXPECT_EQ(book.listing(row.number).written, row.entry);
        }
    }

    // Mum is put on the block list: her next call is hung up on.
    entries[0].mark = u"block"_qs;
    edited.set(entries);
    ASSERT_TRUE(waitFor([&] { return changed.size() == 2; }));
    EXPECT_TRUE(book.screen(u"02079460958"_qs, std::nullopt, rules).hangUp);
    EXPECT_EQ(book.describe(u"02079460958"_qs, {}).contact, u"Mum"_qs);
}

// The book notices a change by a digest of what it read: edits that leave the entries' texts
// run together the same, or that touch only a mark, are still changes.
TEST(CallerBook, EveryEditIsNoticedEvenWhereTheTextsRunTogetherAlike)
{
    LocaleScope locale("en_GB.UTF-8");
    using E = NumberDirectory::Entry;
    const struct
    {
        const char *what;
        CallerBook::Entries before, after;
    } edits[] = {
        {"a digit moves from name to number",
         {E{u"0800"_qs, u"1 Help"_qs}},
         {E{u"08001"_qs, u" Help"_qs}}},
        {"a name becomes a mark", {E{u"0800"_qs, u"block"_qs}}, {E{u"0800"_qs, {}, u"block"_qs}}},
        {"only the mark",
         {E{u"0800*"_qs, u"Sales"_qs}},
         {E{u"0800*"_qs, u"Sales"_qs, u"block"_qs}}},
        {"two entries become one",
         {E{u"01"_qs, u"A"_qs}, E{u"02"_qs, u"B"_qs}},
         {E{u"01"_qs, u"A02B"_qs}}},
    };
    for (const auto &edit : edits) {
        SCOPED_TRACE(edit.what);
        EditedSource edited;
        edited.set(edit.before);
        CallerBook book(edited.source(), u"GB"_qs, QLocale(u"en_GB"_qs));
        QSignalSpy changed(&book, &CallerBook::changed);
        book.start(20);
        ASSERT_TRUE(waitFor([&] { return changed.size() == 1; }));
        edited.set(edit.after);
        EXPECT_TRUE(waitFor([&] { return changed.size() == 2; }));
    }
}
