#include "callers/NumberDirectory.h"

#include "callers/PhoneNumbers.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

constexpr int kLengthBits = 64;

int lengthBit(size_t length)
{
    return length >= size_t(kLengthBits) ? kLengthBits - 1 : int(length);
}

} // namespace

NumberDirectory::NumberDirectory(const PhoneNumbers &numbers) : m_numbers(numbers) {}

NumberDirectory::Key NumberDirectory::keyOf(const QString &entry) const
{
    const QString written = entry.trimmed();
    if (written.endsWith(QLatin1Char('*')))
        return {m_numbers.rangeKey(written.chopped(1)), true};
    return {m_numbers.exactKey(written), false};
}

void NumberDirectory::insert(Key key, const QString &value)
{
    if (key.range) {
        m_rangeLengths |= std::uint64_t(1) << lengthBit(key.text.size());
        m_ranges.insert_or_assign(std::move(key.text), value);
    } else {
        m_exact.insert_or_assign(std::move(key.text), value);
    }
}

void NumberDirectory::add(const QString &entry, const QString &value)
{
    insert(keyOf(entry), value);
}

void NumberDirectory::addAll(const QList<Entry> &entries)
{
    const qsizetype count = entries.size();
    std::vector<Key> keys{size_t(count)};
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const qsizetype threads = std::min<qsizetype>(std::min(cores, 8u), count / 1000 + 1);
    const auto reduce = [&](qsizetype first, qsizetype last) {
        for (qsizetype i = first; i < last; ++i)
            keys[size_t(i)] = keyOf(entries.at(i).number);
    };
    std::vector<std::thread> helpers;
    for (qsizetype t = 1; t < threads; ++t)
        helpers.emplace_back(reduce, count * t / threads, count * (t + 1) / threads);
    reduce(0, count / threads);
    for (std::thread &helper : helpers)
        helper.join();

    reserve(size() + count);
    for (qsizetype i = 0; i < count; ++i)
        insert(std::move(keys[size_t(i)]), entries.at(i).value);
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
