#pragma once

#include <QLocale>
#include <QString>

#include <memory>
#include <mutex>
#include <string>

class NumberEngine;

// Telephone numbers read the way the user's country writes them. A line sends
// "02079460958", a contact says "+44 20 7946 0958": both are the same number once parsed in
// the user's region. Everything libphonenumber cannot take for a whole number (short codes,
// the line's markers "P" and "O", words) is compared as its text.
//
// Keys are what NumberDirectory stores: "+" and the E.164 digits for a number (with "x" and
// the extension when it has one), "=" and the trimmed text for anything else. Thread-safe
// for const use; nothing heavy is loaded by the constructor: libphonenumber, in a module of
// its own, is loaded by the first question.
class PhoneNumbers
{
public:
    // region: two letters ("GB", "US"); an empty or unknown one reads only numbers written
    // with their country code. language: what place names are written in.
    explicit PhoneNumbers(const QString &region, const QLocale &language = QLocale());
    ~PhoneNumbers();

    PhoneNumbers(const PhoneNumbers &) = delete;
    PhoneNumbers &operator=(const PhoneNumbers &) = delete;

    // The country of a locale as a region ("en_GB" -> "GB"); empty for the C locale.
    static QString regionOf(const QLocale &locale);
    // The country the user's numbers are read as: [numbers] region= in Ringvane's settings
    // file (~/.config/ringvane/ringvane.conf), else the country of the user's locale. The
    // program and its commands so compare numbers alike.
    static QString userRegion();

    const QString &region() const { return m_region; }

    // Whether two writings are the same telephone number.
    bool matches(const QString &a, const QString &b) const;

    struct Keys
    {
        std::string exact;  // the whole number, for an exact entry
        std::string prefix; // digits as far as they go, for ranges ("=" text when none)
    };
    Keys keysOf(const QString &number) const;
    std::string exactKey(const QString &number) const;
    // The key of a range written without its "*": "0800" in GB gives "+44800", as far as
    // the digits are written. Text with no digits gives "=" and the text.
    std::string rangeKey(const QString &writtenPrefix) const;

    // Whether a number can exist, as libphonenumber's data says.
    enum class Validity {
        Valid,
        LocalOnly,  // too short for a whole number, but dialable within its area
        Invalid,    // no such number in the user's country, or anywhere
        Undecidable // words, markers, or national digits with no country to read them in
    };
    Validity validity(const QString &number) const;

    // National format for the user's country, international for the others; text that is
    // not a number comes back as it was.
    QString formatted(const QString &number) const;

    // Where the number is from, in the user's language: a town or area for a fixed line,
    // the country for a mobile or a number with no place; empty when unknown. The place
    // data is loaded by the first call.
    QString place(const QString &number) const;

    // Whether numbers are read as numbers: false when the telephone-number module could not
    // be loaded, and every number is then compared and shown as its text.
    bool readsNumbers() const;

private:
    const NumberEngine &engine() const;

    QString m_region;
    QLocale m_language;
    mutable std::once_flag m_engineLoaded;
    mutable std::unique_ptr<NumberEngine> m_engine;
    mutable bool m_textOnly = false;
};
