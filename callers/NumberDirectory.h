#pragma once

#include <QList>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

class PhoneNumbers;

// Finds the entry for a caller's number among many (a phonebook of 100,000 numbers is
// looked up as a call arrives). Each entry is reduced once, when added, to the key
// PhoneNumbers gives it; a lookup then parses only the caller's number and asks a hash
// table, and for ranges one more per length of range key in use (a dozen or so).
//
// An entry ending in "*" is a range ("0800*", "+44 20 7946 *"). An exact entry wins over
// any range; a longer range (in the number's own digits) wins over a shorter one. Adding a
// number that is already there replaces its value.
class NumberDirectory
{
public:
    explicit NumberDirectory(const PhoneNumbers &numbers);

    void add(const QString &entry, const QString &value);
    struct Entry
    {
        QString number;
        QString value;
    };
    // The same as adding each in turn (a later duplicate wins), with the numbers reduced to
    // their keys on several threads: that reduction is nearly all of the time a large
    // phonebook takes to load.
    void addAll(const QList<Entry> &entries);
    void reserve(qsizetype entries);
    void clear();
    qsizetype size() const { return qsizetype(m_exact.size() + m_ranges.size()); }

    // The value of the entry the number falls under; empty when none.
    QString lookup(const QString &number) const;

private:
    struct Key
    {
        std::string text;
        bool range = false;
    };
    Key keyOf(const QString &entry) const;
    void insert(Key key, const QString &value);

    const PhoneNumbers &m_numbers;
    std::unordered_map<std::string, QString> m_exact;
    std::unordered_map<std::string, QString> m_ranges;
    // The lengths of the range keys, longest first, each once: a lookup tries only these.
    std::vector<size_t> m_rangeLengths;
};
