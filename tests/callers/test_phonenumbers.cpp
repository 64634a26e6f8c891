#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

namespace {

struct MatchRow
{
    const char *region;
    const char *contact;
    const char *caller;
    bool same;
};

// Fictional numbers from the ranges set aside for drama where a country has them.
const MatchRow kMatches[] = {
    // United Kingdom: trunk prefix 0, international prefix 00
    {"GB", "+44 20 7946 0958", "02079460958", true},
    {"GB", "+44 20 7946 0958", "00442079460958", true},
    {"GB", "+44 (0)20 7946 0958", "020 7946 0958", true},
    {"GB", "020 7946 0958", "+442079460958", true},
    {"GB", "07700 900123", "+44 7700 900123", true},
    {"GB", "+44 20 7946 0958", "02079460959", false},
    {"GB", "+44 20 7946 0958", "+49 20 7946 0958", false},
    // United States: no trunk prefix in the number, "1" before it when dialled long
    {"US", "(212) 555-0123", "2125550123", true},
    {"US", "(212) 555-0123", "1-212-555-0123", true},
    {"US", "(212) 555-0123", "+1 212 555 0123", true},
    {"US", "(212) 555-0123", "011 1 212 555 0123", true},
    {"US", "(212) 555-0123", "(213) 555-0123", false},
    // Germany: trunk prefix 0, area codes of varying length
    {"DE", "+49 30 12345678", "030 12345678", true},
    {"DE", "+49 30 12345678", "0049 30 12345678", true},
    {"DE", "089 1234567", "+49891234567", true},
    {"DE", "030 12345678", "040 12345678", false},
    // Denmark: eight digits, no area codes and no trunk prefix
    {"DK", "+45 33 12 34 56", "33123456", true},
    {"DK", "33 12 34 56", "004533123456", true},
    {"DK", "33123456", "33123457", false},
    // Singapore, also without area codes
    {"SG", "+65 6123 4567", "61234567", true},
    // The same digits mean different numbers in different regions
    {"DE", "02079460958", "+442079460958", false},
    // Short codes and the line's markers compare as text
    {"GB", "999", "999", true},
    {"GB", "999", "112", false},
    {"GB", "P", "P", true},
    {"GB", "P", "O", false},
    {"GB", "PRIVATE", " PRIVATE ", true},
    {"GB", "PRIVATE", "private", false},
    {"US", "O", "0", false},
    // Space of any kind around a number is no part of it
    {"US", "\v66.6.2255503t/!)", "66.6.2255503t/!)", true},
    {"GB", "\t+44 20 7946 0958\n", "02079460958", true},
};

TEST(PhoneNumbers, MatchTheWayTelephoneNumbersMatch)
{
    LocaleScope locale("en_GB.UTF-8");
    for (const MatchRow &row : kMatches) {
        const PhoneNumbers numbers(QString::fromLatin1(row.region));
        const QString contact = QString::fromUtf8(row.contact);
        const QString caller = QString::fromUtf8(row.caller);
        EXPECT_EQ(numbers.matches(contact, caller), row.same)
            << row.region << " " << row.contact << " / " << row.caller;
        EXPECT_EQ(numbers.matches(caller, contact), row.same) << "reversed: " << row.caller;
        // the keys a directory keeps agree with the comparison
        EXPECT_EQ(numbers.exactKey(contact) == numbers.exactKey(caller), row.same)
            << row.region << " keys of " << row.contact << " / " << row.caller;
    }
}

TEST(PhoneNumbers, RegionIsTheLocalesCountry)
{
    LocaleScope locale("de_DE.UTF-8");
    EXPECT_EQ(PhoneNumbers::regionOf(QLocale(QStringLiteral("en_GB"))), QStringLiteral("GB"));
    EXPECT_EQ(PhoneNumbers::regionOf(QLocale(QStringLiteral("de_DE"))), QStringLiteral("DE"));
    EXPECT_EQ(PhoneNumbers::regionOf(QLocale::c()), QString());
    // Without a region only numbers written with their country code are numbers.
    const PhoneNumbers none{QString()};
    EXPECT_TRUE(none.matches(QStringLiteral("+44 20 7946 0958"), QStringLiteral("+442079460958")));
    EXPECT_FALSE(none.matches(QStringLiteral("02079460958"), QStringLiteral("+442079460958")));
}

struct LookupRow
{
    const char *caller;
    const char *found; // the value, empty for none
};

TEST(NumberDirectory, ExactBeforeRangeLongerRangeBeforeShorter)
{
    LocaleScope locale("en_GB.UTF-8");
    const PhoneNumbers numbers(QStringLiteral("GB"));
    NumberDirectory directory(numbers);
    const std::pair<const char *, const char *> entries[] = {
        {"+44 20 7946 0958", "Mum"},
        {"0800*", "Freephone"},
        {"0800 123*", "Some freephone firm"},
        {"+44 20 7946 *", "Drama street"},
        {"020*", "London"},
        {"0049 30*", "Berlin"},
        {"+1 212 555 0123", "New York office"},
        {"P", "Payphone"},
        {"PRIV*", "Withheld"},
        {"999", "Emergency"},
        {"07700 900123", "Old mobile"},
        {"+44 7700 900123", "New mobile"}, // the same number again: replaces
    };
    for (const auto &[entry, value] : entries)
        directory.add(QString::fromUtf8(entry), QString::fromUtf8(value));

    const LookupRow rows[] = {
        {"02079460958", "Mum"},
        {"00442079460958", "Mum"},
        {"02079460959", "Drama street"},
        {"02079470000", "London"},
        {"08001234567", "Some freephone firm"},
        {"08009876543", "Freephone"},
        {"0800 12", "Freephone"}, // too short to be a number, still in the range
        {"+4930123456", "Berlin"},
        {"03012345678", ""}, // a German area code dialled as a British number
        {"0012125550123", "New York office"},
        {"P", "Payphone"},
        {"PRIVATE", "Withheld"},
        {"O", ""},
        {"999", "Emergency"},
        {"07700900123", "New mobile"},
        {"01632960000", ""},
        {"", ""},
    };
    for (const LookupRow &row : rows) {
        EXPECT_EQ(directory.lookup(QString::fromUtf8(row.caller)), QString::fromUtf8(row.found))
            << row.caller;
    }
    EXPECT_EQ(directory.size(), 11);
    directory.clear();
    EXPECT_EQ(directory.lookup(QStringLiteral("02079460958")), QString());
    EXPECT_EQ(directory.lookup(QStringLiteral("08001234567")), QString());
}

TEST(NumberDirectory, LoadingAllAtOnceFindsWhatAddingOneByOneFinds)
{
    LocaleScope locale("en_GB.UTF-8");
    const PhoneNumbers numbers(QStringLiteral("GB"));
    // Enough entries for several threads; every number comes twice, written differently
    // and with another value, and the later one must win wherever it was reduced.
    QList<NumberDirectory::Entry> entries;
    for (int i = 0; i < 3000; ++i) {
        const QString digits = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
        entries.append({QStringLiteral("020 7946 ") + digits, QStringLiteral("first %1").arg(i)});
        entries.append({QStringLiteral("0161 496 ") + digits + QLatin1Char('*'),
                        QStringLiteral("range %1").arg(i)});
    }
    for (int i = 0; i < 3000; i += 7) {
        const QString digits = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
        entries.append(
            {QStringLiteral("+44 20 7946 ") + digits, QStringLiteral("second %1").arg(i)});
    }
    NumberDirectory oneByOne(numbers);
    for (const NumberDirectory::Entry &entry : std::as_const(entries))
        oneByOne.add(entry.number, entry.name);
    NumberDirectory allAtOnce(numbers);
    allAtOnce.addAll(entries);

    EXPECT_EQ(allAtOnce.size(), oneByOne.size());
    EXPECT_EQ(allAtOnce.lookup(QStringLiteral("02079460007")), QStringLiteral("second 7"));
    EXPECT_EQ(allAtOnce.lookup(QStringLiteral("02079460008")), QStringLiteral("first 8"));
    for (int i = 0; i < 3000; i += 13) {
        const QString digits = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
        for (const QString &caller : {QStringLiteral("0207946") + digits,
                                      QStringLiteral("0161496") + digits + QStringLiteral("12")}) {
            EXPECT_EQ(allAtOnce.lookup(caller), oneByOne.lookup(caller)) << caller.toStdString();
            EXPECT_FALSE(allAtOnce.lookup(caller).isEmpty()) << caller.toStdString();
        }
    }
}

struct RangeRow
{
    const char *region;
    const char *range; // written with its "*"
    const char *caller;
    bool within;
};

// Ranges written with and without trunk and international prefixes, in countries with
// and without them.
const RangeRow kRanges[] = {
    {"US", "1-800*", "8005550100", true},
    {"US", "1-800*", "+1 800 555 0100", true},
    {"US", "212*", "1 212 555 0123", true},
    {"US", "212*", "2135550123", false},
    {"US", "+1 212 555*", "2125550123", true},
    {"DE", "030*", "+49 30 12345678", true},
    {"DE", "+49 30*", "03012345678", true},
    {"DE", "0049 89*", "089 1234567", true},
    {"DE", "030*", "030 1234567", true},
    {"DE", "030*", "040 12345678", false},
    {"DK", "33*", "+45 33 12 34 56", true},
    {"DK", "+45 33*", "33123456", true},
    {"DK", "33*", "43123456", false},
    {"SG", "6123*", "+65 6123 4567", true},
    {"GB", "+44 (0)20*", "02079460958", true},
    {"GB", "PRIV*", "PRIVATE", true},
    {"GB", "PRIV*", "P", false},
};

TEST(NumberDirectory, RangesInTheirCountrysWriting)
{
    LocaleScope locale("en_GB.UTF-8");
    for (const RangeRow &row : kRanges) {
        const PhoneNumbers numbers(QString::fromLatin1(row.region));
        NumberDirectory directory(numbers);
        directory.add(QString::fromUtf8(row.range), QStringLiteral("in range"));
        EXPECT_EQ(directory.lookup(QString::fromUtf8(row.caller)).isEmpty(), !row.within)
            << row.region << " " << row.range << " / " << row.caller;
    }
}

struct FormatRow
{
    const char *region;
    const char *number;
    const char *shown;
};

TEST(PhoneNumbers, NationalAtHomeInternationalAbroad)
{
    LocaleScope locale("en_GB.UTF-8");
    const FormatRow rows[] = {
        {"GB", "02079460958", "020 7946 0958"},
        {"GB", "+493012345678", "+49 30 12345678"},
        {"GB", "0049 30 12345678", "+49 30 12345678"},
        {"DE", "+493012345678", "030 12345678"},
        {"US", "2125550123", "(212) 555-0123"},
        // The same text in turn in other countries: each its own answer, not the last one's.
        {"GB", "+442079460958", "020 7946 0958"},
        {"DE", "+442079460958", "+44 20 7946 0958"},
        {"US", "+442079460958", "+44 20 7946 0958"},
        {"DE", "030 12345678", "030 12345678"},
        {"GB", "030 12345678", "0301 234 5678"},
        {"DK", "33123456", "33 12 34 56"},
        {"GB", "P", "P"},
        {"GB", "PRIVATE", "PRIVATE"},
        {"GB", "999", "999"},
    };
    for (const FormatRow &row : rows) {
        const PhoneNumbers numbers(QString::fromLatin1(row.region));
        EXPECT_EQ(numbers.formatted(QString::fromUtf8(row.number)), QString::fromUtf8(row.shown))
            << row.region << " " << row.number;
    }
}

struct PlaceRow
{
    const char *region;
    const char *language;
    const char *number;
    const char *place;
};

TEST(PhoneNumbers, WhereTheCallerIsCallingFrom)
{
    LocaleScope locale("en_GB.UTF-8");
    const PlaceRow rows[] = {
        {"GB", "en_GB", "02079460958", "London"},
        {"GB", "en_GB", "+49 30 12345678", "Berlin"},
        {"GB", "en_GB", "+1 212 555 0123", "New York, NY"},
        {"GB", "en_GB", "+49 151 12345678", "Germany"}, // a mobile has no town
        {"GB", "de_DE", "+49 151 12345678", "Deutschland"},
        {"GB", "C", "+49 30 12345678", "Berlin"},
        {"GB", "en_GB", "P", ""},
        {"GB", "en_GB", "999", ""},
    };
    for (const PlaceRow &row : rows) {
        const PhoneNumbers numbers(QString::fromLatin1(row.region),
                                   QLocale(QString::fromLatin1(row.language)));
        EXPECT_EQ(numbers.place(QString::fromUtf8(row.number)), QString::fromUtf8(row.place))
            << row.language << " " << row.number;
    }
}

} // namespace
