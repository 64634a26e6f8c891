#include "callers/CallerBook.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestHelpers.h"

#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Mode = ScreenRules::Mode;

CallerBook::Entries lists()
{
    return {
        {u"+44 20 7946 0958"_qs, u"Mum"_qs},
        {u"0800*"_qs, QString(), u"block"_qs},
        {u"0800 123 4567"_qs, QString(), u"allow"_qs},
        {u"020 7946 0000"_qs, QString(), u"block"_qs},
        {u"0161 496 0000"_qs, u"Spammer"_qs, u"block"_qs},
        {u"+44 20 7946 *"_qs, u"Office"_qs, u"allow"_qs},
        {QString(), u"SPAM*"_qs, u"block-name"_qs},
        {QString(), u"telemarketer"_qs, u"block-name"_qs},
        {QString(), u"*LOAN*"_qs, u"block-name"_qs},
    };
}

} // namespace

// Each mode against allowed, known, listed, ranges, name rules, withheld and invalid
// numbers, and the order in which they are asked.
TEST(CallScreen, TheDecisionFollowsTheModeAndTheOrderOfTheLists)
{
    LocaleScope locale("en_GB.UTF-8");
    CallerBook book([] { return Result<CallerBook::Entries>(lists()); }, u"GB"_qs);
    book.start(60000);
    ASSERT_TRUE(waitFor([&] { return book.readable(); }));

    struct Row
    {
        Mode mode;
        bool withheld, invalid; // block them
        const char *number;
        std::optional<const char *> name; // none: the line may still send one
        bool hangUp;
        const char *reason; // "wait": the verdict waits for the name
    };
    const Row rows[] = {
        // Known and allowed win over everything, ranges included.
        {Mode::List, true, true, "02079460958", "SPAM LTD", false, ""},
        {Mode::List, true, true, "08001234567", {}, false, ""},
        {Mode::List, true, true, "02079461234", "SPAM", false, ""},
        {Mode::KnownOnly, true, true, "00442079460958", {}, false, ""},
        // The block list, the most exact entry first; a contact can be blocked too.
        {Mode::List, false, false, "08005550000", {}, true, "on the block list (0800*)"},
        {Mode::List, false, false, "02079460000", {}, true, "on the block list (020 7946 0000)"},
        {Mode::List, false, false, "01614960000", {}, true, "on the block list (0161 496 0000)"},
        // Name rules: the verdict waits for the name, unless it hangs up anyway.
        {Mode::List, false, false, "01632960001", {}, false, "wait"},
        {Mode::List, false, false, "01632960001", "SPAM CALLS", true,
         "the name matches a rule (SPAM*)"},
        {Mode::List, false, false, "01632960001", "TELEMARKETER", true,
         "the name matches a rule (telemarketer)"},
        {Mode::List, false, false, "01632960001", "CHEAP LOANS", true,
         "the name matches a rule (*LOAN*)"},
        {Mode::List, false, false, "01632960001", "JONES", false, ""},
        {Mode::List, true, false, "P", {}, true, "the number is withheld"},
        {Mode::List, true, false, "P", "SPAM", true, "the name matches a rule (SPAM*)"},
        // Withheld and invalid numbers, as the settings say.
        {Mode::List, false, false, "PRIVATE", "", false, ""},
        {Mode::List, true, false, " out-of-area ", "", true, "the number is withheld"},
        {Mode::List, true, false, "", "", true, "the number is withheld"},
        {Mode::List, false, true, "0101234567", "", true, "the number cannot exist"},
        {Mode::List, false, false, "0101234567", "", false, ""},
        {Mode::List, false, true, "HELLO", "", false, ""},
        // Known-only: whoever is not allowed or known.
        {Mode::KnownOnly, false, false, "01632960001", {}, true, "not in the phonebook"},
        {Mode::KnownOnly, false, false, "01632960001", "SPAM", true,
         "the name matches a rule (SPAM*)"},
        {Mode::KnownOnly, false, false, "P", "", true, "not in the phonebook"},
        {Mode::KnownOnly, false, false, "HELLO", "", false, ""}, // cannot tell: rings
        // Off: nothing is hung up, a listed call is only marked.
        {Mode::Off, true, true, "08005550000", {}, false, "on the block list (0800*)"},
        {Mode::Off, true, true, "P", "", false, "the number is withheld"},
        {Mode::Off, false, false, "01632960001", "", false, ""},
    };
    for (const Row &row : rows) {
        ScreenRules rules;
        rules.mode = row.mode;
        rules.blockWithheld = row.withheld;
        rules.blockInvalid = row.invalid;
        const std::optional<QString> name =
            row.name ? std::optional<QString>(QString::fromUtf8(*row.name)) : std::nullopt;
        const Verdict verdict = book.screen(QString::fromUtf8(row.number), name, rules);
        const std::string what = std::string(row.number) + " " + (row.name ? *row.name : "-");
        EXPECT_EQ(verdict.waitForName, std::string(row.reason) == "wait") << what;
        EXPECT_EQ(verdict.hangUp, row.hangUp) << what;
        if (!verdict.waitForName) {
            EXPECT_EQ(verdict.reason, QString::fromUtf8(row.reason)) << what;
        }
    }
}

// Until the phonebook has been read nothing says who is known: nothing is to be hung up
// for that, and the book says it cannot tell yet.
TEST(CallScreen, NothingIsKnownBeforeThePhonebookIsRead)
{
    LocaleScope locale("en_GB.UTF-8");
    CallerBook book([] { return Result<CallerBook::Entries>(Failure(0, u"gone"_qs)); }, u"GB"_qs);
    book.start(60000);
    QTest::qWait(50);
    EXPECT_FALSE(book.readable());
}

TEST(CallScreen, ValidityAsTheNumbersCountryHasThem)
{
    LocaleScope locale("en_GB.UTF-8");
    using V = PhoneNumbers::Validity;
    const struct
    {
        const char *region, *number;
        V validity;
    } rows[] = {
        {"GB", "02079460958", V::Valid},     {"GB", "+49 30 12345678", V::Valid},
        {"GB", "0101234567", V::Invalid},        {"GB", "+999 123456", V::Invalid},
        {"US", "5550123", V::LocalOnly},     {"", "02079460958", V::Undecidable},
        {"GB", "PRIVATE", V::Undecidable},   {"GB", "0800 FLOWERS", V::Undecidable},
    };
    for (const auto &row : rows) {
        const PhoneNumbers numbers(QString::fromUtf8(row.region));
        EXPECT_EQ(numbers.validity(QString::fromUtf8(row.number)), row.validity)
            << row.region << " " << row.number;
    }
}

TEST(CallScreen, NameRulesMatchWholeNamesWithStars)
{
    const NameRules rules({u"V*"_qs, u"SPAM*"_qs, u"TELEMARKETER"_qs, u"*LOAN*"_qs, u"A*B"_qs});
    const char *rows[][2] = {
        {"VALUED CUSTOMER", "V*"}, {"SPAMMY", "SPAM*"},     {"telemarketer", "TELEMARKETER"},
        {"TELEMARKETERS", ""},     {"MY LOANS", "*LOAN*"},  {"AXXB", "A*B"},
        {"AXXBC", ""},             {"", ""},                {"ABAB", "A*B"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(rules.match(QString::fromUtf8(row[0])), QString::fromUtf8(row[1])) << row[0];
}
