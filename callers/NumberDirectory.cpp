#include "callers/NumberDirectory.h"

#include "callers/PhoneNumbers.h"

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

namespace {

// Marks are few words repeated over many entries: each entry shares one text instead of
// holding a copy of its own (an empty text read from a data source still takes memory).
QString sharedMark(const QString &mark)
{
    static const QString allow = QStringLiteral("allow");
    static const QString block = QStringLiteral("block");
    if (mark.isEmpty())
        return {};
    if (mark == allow)
        return allow;
    if (mark == block)
        return block;
    return mark;
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

void NumberDirectory::insert(Key key, Listing listing)
{
    if (key.range) {
        const size_t length = key.text.size();
        const auto place = std::lower_bound(m_rangeLengths.begin(), m_rangeLengths.end(), length,
                                            std::greater<size_t>());
        if (place == m_rangeLengths.end() || *place != length)
            m_rangeLengths.insert(place, length);
        m_ranges.insert_or_assign(std::move(key.text), std::move(listing));
    } else {
        m_exact.insert_or_assign(std::move(key.text), std::move(listing));
    }
}

void NumberDirectory::add(const QString &entry, const QString &name, const QString &mark)
{
    insert(keyOf(entry), Listing{name, sharedMark(mark), entry});
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
    for (qsizetype i = 0; i < count; ++i) {
        const Entry &entry = entries.at(i);
        insert(std::move(keys[size_t(i)]),
               Listing{entry.name, sharedMark(entry.mark), entry.number});
    }
}

void NumberDirectory::reserve(qsizetype entries)
{
    m_exact.reserve(size_t(entries));
}

void NumberDirectory::clear()
{
    m_exact.clear();
    m_ranges.clear();
    m_rangeLengths.clear();
}

QString NumberDirectory::lookup(const QString &number) const
{
    const Listing *listing = find(number);
    return listing ? listing->name : QString();
}

const NumberDirectory::Listing *NumberDirectory::find(const QString &number) const
{
    if (m_exact.empty() && m_ranges.empty())
        return nullptr;
    const PhoneNumbers::Keys keys = m_numbers.keysOf(number);
    if (const auto exact = m_exact.find(keys.exact); exact != m_exact.end())
        return &exact->second;
    if (m_ranges.empty())
        return nullptr;
    const std::string &key = keys.prefix;
    for (const size_t length : m_rangeLengths) {
        if (length > key.size())
            continue;
        const auto range = m_ranges.find(key.substr(0, length));
        if (range != m_ranges.end())
            return &range->second;
    }
    return nullptr;
}
