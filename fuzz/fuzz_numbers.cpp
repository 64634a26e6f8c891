// Telephone-number keys on arbitrary text: first byte chooses the region, the rest is two
// texts split at the first tab. Keys must have their form, a number must match itself,
// and two texts match exactly when a directory would give them the same key.
#include "callers/NumberDirectory.h"
#include "callers/PhoneNumbers.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace {

const char *const kRegions[] = {"GB", "US", "DE", "DK", "IT", "AR", "JP", ""};

bool wellFormed(const std::string &key)
{
    return !key.empty() && (key[0] == '+' || key[0] == '=');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0 || size > 600)
        return 0;
    static PhoneNumbers *all[std::size(kRegions)] = {};
    const size_t which = data[0] % std::size(kRegions);
    if (!all[which])
        all[which] = new PhoneNumbers(QString::fromLatin1(kRegions[which]));
    const PhoneNumbers &numbers = *all[which];
    // Without its module this would fuzz the text-only stand-in, not libphonenumber.
    FUZZ_CHECK(numbers.readsNumbers());

    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    const QString first = tab < 0 ? text : text.left(tab);
    const QString second = tab < 0 ? text : text.mid(tab + 1);

    const PhoneNumbers::Keys keys = numbers.keysOf(first);
    FUZZ_CHECK(wellFormed(keys.exact));
    FUZZ_CHECK(wellFormed(numbers.rangeKey(first)));
    FUZZ_CHECK(numbers.matches(first, first));
    FUZZ_CHECK(numbers.matches(first, second) == (keys.exact == numbers.exactKey(second)));
    (void)numbers.formatted(first);

    if (first.trimmed().endsWith(QLatin1Char('*')))
        return 0; // a range itself
    NumberDirectory directory(numbers);
    directory.add(first, QStringLiteral("exact"));
    directory.add(first + QLatin1Char('*'), QStringLiteral("range"));
    FUZZ_CHECK(directory.lookup(first) == QStringLiteral("exact"));
    return 0;
}
