#include "callers/NumberDirectory.h"

#include "callers/PhoneNumbers.h"

namespace {

constexpr int kLengthBits = 64;

int lengthBit(size_t length)
{
    return length >= size_t(kLengthBits) ? kLengthBits - 1 : int(length);
}

} // namespace

NumberDirectory::NumberDirectory(const PhoneNumbers &numbers) : m_numbers(numbers) {}

void NumberDirectory::add(const QString &entry, const QString &value)
{
    const QString written = entry.trimmed();
    if (written.endsWith(QLatin1Char('*'))) {
        std::string key = m_numbers.rangeKey(written.chopped(1));
        m_rangeLengths |= std::uint64_t(1) << lengthBit(key.size());
        m_ranges.insert_or_assign(std::move(key), value);
        return;
    }
    m_exact.insert_or_assign(m_numbers.exactKey(written), value);
}

void NumberDirectory::reserve(qsizetype entries)
{
    m_exact.reserve(size_t(entries));
}

void NumberDirectory::clear()
{
    m_exact.clear();
    m_ranges.clear();
    m_rangeLengths = 0;
}

QString NumberDirectory::lookup(const QString &number) const
{
    if (m_exact.empty() && m_ranges.empty())
        return {};
    const PhoneNumbers::Keys keys = m_numbers.keysOf(number);
    if (const auto exact = m_exact.find(keys.exact); exact != m_exact.end())
        return exact->second;
    if (m_ranges.empty())
        return {};
    // Longest first; a key longer than the last bit's length is tried at every length
    // from its own down.
    const std::string &key = keys.prefix;
    for (size_t length = key.size(); length > 0; --length) {
        if (!(m_rangeLengths & (std::uint64_t(1) << lengthBit(length))))
            continue;
        const auto range = m_ranges.find(key.substr(0, length));
        if (range != m_ranges.end())
            return range->second;
    }
    return {};
}
