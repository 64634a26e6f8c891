#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

// Without libphonenumber's module the phonebook still works, on the numbers' texts: what a
// user wrote exactly as the line sends it is found, ranges included, and nothing is
// reformatted, placed or judged invalid.
TEST(NumbersWithoutModule, NumbersAreTheirText)
{
    LocaleScope locale("en_GB.UTF-8");
    qputenv("RINGVANE_NUMBERS_MODULE", "/nonexistent/libringvane_numbers.so");
    const PhoneNumbers numbers(u"GB"_qs);
    EXPECT_FALSE(numbers.readsNumbers());

    EXPECT_TRUE(numbers.matches(u" 02079460958 "_qs, u"02079460958"_qs));
    EXPECT_FALSE(numbers.matches(u"+44 20 7946 0958"_qs, u"02079460958"_qs));
    EXPECT_EQ(numbers.formatted(u"02079460958"_qs), u"02079460958"_qs);
    EXPECT_TRUE(numbers.place(u"02079460958"_qs).isEmpty());
    EXPECT_EQ(numbers.validity(u"00000"_qs), PhoneNumbers::Validity::Undecidable);

    NumberDirectory directory(numbers);
    directory.add(u"02079460958"_qs, u"Exact"_qs);
    directory.add(u"0800*"_qs, u"Freephone"_qs);
    directory.add(u"0800 1*"_qs, u"Longer"_qs);
    EXPECT_EQ(directory.lookup(u"02079460958"_qs), u"Exact"_qs);
    EXPECT_EQ(directory.lookup(u"0800555"_qs), u"Freephone"_qs);
    EXPECT_EQ(directory.lookup(u"0800 123"_qs), u"Longer"_qs);
    EXPECT_TRUE(directory.lookup(u"+442079460958"_qs).isEmpty());
}
