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
// number that is already there replaces its listing.
class NumberDirectory
{
public:
    explicit NumberDirectory(const PhoneNumbers &numbers);

    // What an entry says of the numbers it covers.
    struct Listing
    {
        QString name;
        QString mark;    // "allow", "block", or empty
        QString written; // the entry as the user wrote it ("0800*")
    };
    void add(const QString &entry, const QString &name, const QString &mark = {});
    struct Entry
    {
        QString number;
        QString name;
        QString mark = QString(); // most entries have none
    };
    // The same as adding each in turn (a later duplicate wins), with the numbers reduced to
    // their keys on several threads: that reduction is nearly all of the time a large
    // phonebook takes to load.
    void addAll(const QList<Entry> &entries);
    void reserve(qsizetype entries);
    void clear();
    qsizetype size() const { return qsizetype(m_exact.size() + m_ranges.size()); }

    // The entry the number falls under; null when none. Valid until the directory changes.
    const Listing *find(const QString &number) const;
    // Its name; empty when none.
    QString lookup(const QString &number) const;

private:
    struct Key
    {
        std::string text;
        bool range = false;
    };
    Key keyOf(const QString &entry) const;
    void insert(Key key, Listing listing);

    const PhoneNumbers &m_numbers;
    std::unordered_map<std::string, Listing> m_exact;
    std::unordered_map<std::string, Listing> m_ranges;
    // The lengths of the range keys, longest first, each once: a lookup tries only these.
    std::vector<size_t> m_rangeLengths;
};
