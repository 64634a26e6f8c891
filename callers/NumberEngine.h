#pragma once

#include "callers/PhoneNumbers.h"

#include <QString>

#include <string>

// What PhoneNumbers asks of Google's libphonenumber. The library, with ICU, protobuf and
// absl behind it, is two dozen shared libraries whose loading alone took a third of the
// window's time to its first paint; it lives in a module of its own (ringvane_numbers),
// loaded when the first number is read, which is after the window is painted.
class NumberEngine
{
public:
    virtual ~NumberEngine() = default;
    virtual bool matches(const QString &a, const QString &b) const = 0;
    virtual PhoneNumbers::Keys keysOf(const QString &number) const = 0;
    virtual std::string exactKey(const QString &number) const = 0;
    virtual std::string rangeKey(const QString &writtenPrefix) const = 0;
    virtual PhoneNumbers::Validity validity(const QString &number) const = 0;
    virtual QString formatted(const QString &number) const = 0;
    virtual QString place(const QString &number) const = 0;
};

// The module's one entry point, by this name. region: two capital letters or empty;
// language: a locale's name ("en_GB") for place names.
using NumberEngineFactory = NumberEngine *(const QString &region, const QString &language);
inline constexpr char kNumberEngineEntry[] = "ringvaneNumberEngine";
