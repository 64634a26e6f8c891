// The phonebook table through a real ODBC driver: SQLite, or PostgreSQL when built with
// RINGVANE_TEST_POSTGRES.

#include "calllog/CallLog.h"
#include "calllog/CallPipeline.h"
#include "calllog/TAPI.h"
#include "tests/calllog/OdbcSandbox.h"

#include "failure/Failure.h"
#include "tests/support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

class PhonebookTable : public ::testing::Test
{
protected:
    void SetUp() override { OdbcSandbox::instance().resetCallLog(); }

    static QList<Contact> stored()
    {
        CallLog log(OdbcSandbox::instance().admin());
        const Result<QList<Contact>> contacts = log.readPhonebook();
        EXPECT_TRUE(contacts) << contacts.errorString().toStdString();
        return contacts ? *contacts : QList<Contact>();
    }
};

} // namespace

TEST_F(PhonebookTable, AMissingTableIsAnEmptyPhonebookUntilTheFirstEntryMakesIt)
{
    CallLog log(OdbcSandbox::instance().admin());
    EXPECT_EQ(stored(), QList<Contact>());
    EXPECT_EQ(log.removeContact(u"0800 123"_qs).value(), 0);
    EXPECT_TRUE(log.changePhonebook({{}, {{u"1"_qs, u"Ann"_qs}}}));
    EXPECT_EQ(stored(), QList<Contact>()) << "a rename alone makes no table";

    const QList<Contact> contacts{
        {u"+44 20 7946 0958"_qs, u"Mum"_qs, {}},
        {u"0800*"_qs, u"Freephone"_qs, {}},
        {u"'; DROP TABLE Phonebook; --"_qs, u"O'Brien, \"Jo\"; Ann"_qs, {}},
        {u"5550123"_qs, u"Zoë 李 \u202eevil\x1b[1m"_qs, u"block"_qs},
    };
    for (const Contact &contact : contacts)
        ASSERT_TRUE(log.addContact(contact));
    EXPECT_EQ(stored(), contacts);
    EXPECT_TRUE(stored().first().mark.isNull()) << "no mark is NULL";

    EXPECT_EQ(log.removeContact(u"0800*"_qs).value(), 1);
    EXPECT_EQ(log.removeContact(u"0800"_qs).value(), 0) << "only the number as stored";
    EXPECT_EQ(stored().size(), 3);
}

TEST_F(PhonebookTable, AnEditRenamesAndAddsManyInOneGo)
{
    CallLog log(OdbcSandbox::instance().admin());
    ASSERT_TRUE(log.addContact({u"1"_qs, u"Ann"_qs, {}}));
    CallLog::PhonebookChanges changes;
    for (int i = 0; i < 600; ++i) // more than one statement's rows
        changes.added.append({QString::number(1000 + i), QStringLiteral("N%1").arg(i), {}});
    changes.added.append({u"2"_qs, QString(3000, u'x'), {}});
    changes.renamed.insert(u"1"_qs, u"Anna"_qs);
    ASSERT_TRUE(log.changePhonebook(changes));
    const QList<Contact> contacts = stored();
    ASSERT_EQ(contacts.size(), 602);
    EXPECT_EQ(contacts.first().name, u"Anna"_qs);
    EXPECT_EQ(contacts.at(600).number, u"1599"_qs);
    EXPECT_EQ(contacts.last().name.size(), CallLog::LongestContactText) << "cut when read";
}

TEST_F(PhonebookTable, ATableWithoutTheColumnsIsAFailureNotAnEmptyPhonebook)
{
    OdbcSandbox::instance().admin().Execute(u"CREATE TABLE Phonebook (number TEXT)"_qs);
    CallLog log(OdbcSandbox::instance().admin());
    const Result<QList<Contact>> contacts = log.readPhonebook();
    ASSERT_FALSE(contacts);
    EXPECT_FALSE(CallLog::isMissingTable(contacts.failure()));
    EXPECT_FALSE(log.addContact({u"1"_qs, u"Ann"_qs, {}}));
}

// Two instances on one log: a contact one of them writes, the other shows on its next call
// (each reads the phonebook every few seconds on a connection of its own).
TEST_F(PhonebookTable, AContactOneInstanceWritesTheOtherShowsOnItsNextCall)
{
    CallPipeline first;
    CallPipeline second;
    first.startCallers(QStringLiteral("GB"));
    second.startCallers(QStringLiteral("GB"));
    db::Connection connection;
    connection.Open(TAPI::callLogSource(), {}, {}, -1);
    ASSERT_TRUE(CallLog(connection).addContact({QStringLiteral("+44 20 7946 0958"),
                                                QStringLiteral("Mum"), {}}));
    const auto shows = [](const CallPipeline &instance) {
        return instance.callers()->describe(QStringLiteral("02079460958"), {}).contact ==
               QStringLiteral("Mum");
    };
    ASSERT_TRUE(waitFor([&] { return shows(second); }, 20000));
    EXPECT_TRUE(waitFor([&] { return shows(first); }, 20000));
}

namespace {

// The entries one a line, sorted, a NULL mark told from an empty one: whole tables compared.
std::string rowsOf(const QList<Contact> &contacts)
{
    QStringList rows;
    for (const Contact &contact : contacts)
        rows << contact.number + u'|' + contact.name + u'|' +
                    (contact.mark.isNull() ? u"NULL"_qs : contact.mark);
    rows.sort(); // PostgreSQL moves an updated row to the end
    return rows.join(u'\n').toStdString();
}

enum class Edit { Mark, AddRule, RemoveRule, AddContact, RemoveContact };

struct EditStep
{
    Edit edit;
    QString text; // the number, or the rule
    QString more; // the mark, or the name
    qint64 gives; // a removal's count; else 0 done, -1 refused
};

qint64 apply(CallLog &log, const EditStep &step)
{
    const auto done = [](const Result<void> &r) { return r ? qint64(0) : qint64(-1); };
    switch (step.edit) {
    case Edit::Mark:
        return done(log.markNumber(step.text, step.more));
    case Edit::AddRule:
        return done(log.addNameRule(step.text));
    case Edit::RemoveRule:
        return log.removeNameRule(step.text).valueOr(-1);
    case Edit::AddContact:
        return done(log.addContact({step.text, step.more, {}}));
    case Edit::RemoveContact:
        return log.removeContact(step.text).valueOr(-1);
    }
    return -1;
}

} // namespace

TEST_F(PhonebookTable, MarksAndNameRulesKeepOneEntryANumber)
{
    const QString rule = u"block-name"_qs;
    const struct
    {
        const char *what;
        QList<Contact> before; // none: no table either
        QList<EditStep> steps;
        QStringList after;
    } cases[] = {
        {"a new number gets an entry without a name", {},
         {{Edit::Mark, u"0800 123"_qs, u"block"_qs, 0}}, {u"0800 123||block"_qs}},
        {"a contact keeps its name", {{u"+44 20 7946 0958"_qs, u"Mum"_qs, {}}},
         {{Edit::Mark, u"+44 20 7946 0958"_qs, u"allow"_qs, 0}},
         {u"+44 20 7946 0958|Mum|allow"_qs}},
        {"a mark replaces the other on the same row", {{u"0800*"_qs, {}, u"allow"_qs}},
         {{Edit::Mark, u"0800*"_qs, u"block"_qs, 0}}, {u"0800*||block"_qs}},
        {"every row of the number, only as stored",
         {{u"1"_qs, u"Ann"_qs, {}}, {u"1"_qs, u"Anna"_qs, {}}, {u"01"_qs, u"Bob"_qs, {}}},
         {{Edit::Mark, u"1"_qs, u"block"_qs, 0}},
         {u"01|Bob|NULL"_qs, u"1|Ann|block"_qs, u"1|Anna|block"_qs}},
        {"clearing a nameless entry removes it", {{u"0800*"_qs, u""_qs, u"block"_qs}},
         {{Edit::Mark, u"0800*"_qs, {}, 0}}, {}},
        {"clearing a named entry keeps it, mark NULL", {{u"1"_qs, u"Ann"_qs, u"block"_qs}},
         {{Edit::Mark, u"1"_qs, {}, 0}}, {u"1|Ann|NULL"_qs}},
        {"clearing where there is no table makes none", {}, {{Edit::Mark, u"1"_qs, {}, 0}}, {}},
        {"no other mark, no empty number or rule", {},
         {{Edit::Mark, u"1"_qs, u"blocked"_qs, -1},
          {Edit::Mark, {}, u"block"_qs, -1},
          {Edit::AddRule, {}, {}, -1}},
         {}},
        {"a name for a number with only a mark names that entry",
         {{u"0800 123"_qs, u""_qs, u"block"_qs}},
         {{Edit::AddContact, u"0800 123"_qs, u"Shop"_qs, 0}}, {u"0800 123|Shop|block"_qs}},
        {"a contact removed takes its mark", {{u"1"_qs, u"Ann"_qs, u"allow"_qs}},
         {{Edit::RemoveContact, u"1"_qs, {}, 1}}, {}},
        {"a rule once, whatever its capitals", {},
         {{Edit::AddRule, u"SPAM*"_qs, {}, 0},
          {Edit::AddRule, u"spam*"_qs, {}, 0},
          {Edit::AddRule, u"Émile*"_qs, {}, 0},
          {Edit::AddRule, u"ÉMILE*"_qs, {}, 0}}, // SQLite's lower() folds only ASCII
         {u"|SPAM*|block-name"_qs, u"|Émile*|block-name"_qs}},
        {"a rule removed whatever its capitals, the others kept",
         {{{}, u"SPAM*"_qs, rule}, {{}, u"V*"_qs, rule}, {u"1"_qs, u"SPAM*"_qs, {}}},
         {{Edit::RemoveRule, u"spam*"_qs, {}, 1}, {Edit::RemoveRule, u"spam*"_qs, {}, 0}},
         {u"1|SPAM*|NULL"_qs, u"|V*|block-name"_qs}},
        {"a rule is no entry of the empty number", {{{}, u"V*"_qs, rule}},
         {{Edit::RemoveContact, {}, {}, 0}, {Edit::AddContact, {}, u"Ann"_qs, 0}},
         {u"|Ann|NULL"_qs, u"|V*|block-name"_qs}},
        {"a rule text that is SQL is only text", {},
         {{Edit::AddRule, u"x' OR '1'='1"_qs, {}, 0}, {Edit::RemoveRule, u"x"_qs, {}, 0}},
         {u"|x' OR '1'='1|block-name"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        OdbcSandbox::instance().resetCallLog();
        CallLog log(OdbcSandbox::instance().admin());
        if (!c.before.isEmpty()) {
            ASSERT_TRUE(log.changePhonebook({c.before, {}}));
        }
        for (const EditStep &step : c.steps)
            EXPECT_EQ(apply(log, step), step.gives) << step.text.toStdString();
        QStringList after = c.after;
        after.sort();
        EXPECT_EQ(rowsOf(stored()), after.join(u'\n').toStdString());
    }
}
