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
