// The telephone-number module: PhoneNumbers' work done by libphonenumber, loaded by the
// program when it first reads a number.
#include "callers/NumberEngine.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberOfflineGeocoder;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

// libphonenumber refuses longer input itself; stopping here keeps a line's garbage cheap.
constexpr qsizetype kLongestNumberText = 250;
// The longest national number libphonenumber accepts: a range is padded up to it, so that
// the padded number is too long for every country and its trunk prefix is always taken off.
constexpr int kLongestNationalNumber = 17;

const PhoneNumberUtil &util()
{
    return *PhoneNumberUtil::GetInstance();
}

std::string textKey(const QString &text)
{
    return '=' + text.trimmed().toStdString();
}

std::string digitsKey(const PhoneNumber &number)
{
    std::string nsn;
    util().GetNationalSignificantNumber(number, &nsn);
    return '+' + std::to_string(number.country_code()) + nsn;
}

std::string wholeKey(const PhoneNumber &number)
{
    std::string key = digitsKey(number);
    if (number.has_extension())
        key += 'x' + number.extension();
    return key;
}

} // namespace

namespace {

// libphonenumber's parsing is regular expressions over the whole text; the usual writing
// of a number ("+44 (0)20 7946-0958") gets the same result from its digits alone, which it
// reads in about half the time. Anything else (letters, extensions) goes as written.
std::string parseInput(const QString &text)
{
    std::string digits;
    digits.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= u'0' && c <= u'9')
            digits += char(c);
        else if (c == u'+' && digits.empty())
            digits += '+';
        else if (c != u' ' && c != u'-' && c != u'(' && c != u')' && c != u'.' && c != u'/')
            return text.toStdString();
    }
    return digits;
}

std::optional<PhoneNumber> parseWholeNumber(const QString &written, const std::string &region)
{
    // Space around it is no part of it, whichever kind (text keys are trimmed too).
    const QString text = written.trimmed();
    if (text.size() > kLongestNumberText)
        return std::nullopt;
    PhoneNumber number;
    if (util().Parse(parseInput(text), region, &number) != PhoneNumberUtil::NO_PARSING_ERROR)
        return std::nullopt;
    if (util().IsPossibleNumberWithReason(number) != PhoneNumberUtil::IS_POSSIBLE)
        return std::nullopt;
    return number;
}

// The number when the text is a whole number that can be dialled from somewhere; short
// codes, local-only fragments and words are not. A call's number is asked about several
// times in a row (screened, listed, its notice: its keys, its writing, its place), and a
// parse with cold caches takes up to 100 us on the window's thread: each thread keeps its
// last answer.
std::optional<PhoneNumber> wholeNumber(const QString &written, const std::string &region)
{
    struct Last
    {
        QString written;
        std::string region;
        std::optional<PhoneNumber> number;
        bool known = false;
    };
    thread_local Last last;
    if (last.known && last.written == written && last.region == region)
        return last.number;
    last.known = false;
    last.number = parseWholeNumber(written, region);
    last.written = written;
    last.region = region;
    last.known = true;
    return last.number;
}

} // namespace

namespace {

class Engine final : public NumberEngine
{
public:
    Engine(const QString &region, const QString &language)
        : m_regionCode(region.toStdString()), m_language(language)
    {}
    bool matches(const QString &a, const QString &b) const override;
    PhoneNumbers::Keys keysOf(const QString &number) const override;
    std::string exactKey(const QString &number) const override;
    std::string rangeKey(const QString &writtenPrefix) const override;
    PhoneNumbers::Validity validity(const QString &number) const override;
    QString formatted(const QString &number) const override;
    QString place(const QString &number) const override;

private:
    struct Geocoder
    {
        PhoneNumberOfflineGeocoder geocoder;
        icu::Locale locale;
    };
    std::string m_regionCode;
    QString m_language;
    mutable std::once_flag m_geocoderLoaded;
    mutable std::unique_ptr<Geocoder> m_geocoder;
};

} // namespace

bool Engine::matches(const QString &a, const QString &b) const
{
    const std::optional<PhoneNumber> first = wholeNumber(a, m_regionCode);
    const std::optional<PhoneNumber> second = wholeNumber(b, m_regionCode);
    if (first && second)
        return util().IsNumberMatch(*first, *second) == PhoneNumberUtil::EXACT_MATCH;
    if (first || second)
        return false;
    return a.trimmed() == b.trimmed();
}

PhoneNumbers::Keys Engine::keysOf(const QString &number) const
{
    const std::optional<PhoneNumber> parsed = wholeNumber(number, m_regionCode);
    if (!parsed) {
        // Not a whole number, but "0800 12" may still fall in the range "0800*".
        return {textKey(number), rangeKey(number)};
    }
    return {wholeKey(*parsed), digitsKey(*parsed)};
}

std::string Engine::exactKey(const QString &number) const
{
    const std::optional<PhoneNumber> parsed = wholeNumber(number, m_regionCode);
    return parsed ? wholeKey(*parsed) : textKey(number);
}

std::string Engine::rangeKey(const QString &writtenPrefix) const
{
    const QString text = writtenPrefix.trimmed();
    if (text.size() > kLongestNumberText)
        return textKey(text);
    std::string digits = text.toStdString();
    util().NormalizeDigitsOnly(&digits);
    if (digits.empty())
        return textKey(text);
    // Parse the written digits followed by zeros and keep the national digits that were
    // written: libphonenumber then takes off the international or trunk prefix as it does
    // for a whole number, which a range cannot be parsed as.
    const int padding = std::max(3, kLongestNationalNumber - int(digits.size()));
    PhoneNumber number;
    const std::string padded = text.toStdString() + std::string(size_t(padding), '0');
    if (util().Parse(padded, m_regionCode, &number) == PhoneNumberUtil::NO_PARSING_ERROR) {
        std::string nsn;
        util().GetNationalSignificantNumber(number, &nsn);
        const int written = std::max(0, int(nsn.size()) - padding);
        return '+' + std::to_string(number.country_code()) + nsn.substr(0, size_t(written));
    }
    if (text.startsWith(QLatin1Char('+')))
        return '+' + digits;
    return textKey(text);
}

PhoneNumbers::Validity Engine::validity(const QString &written) const
{
    const QString text = written.trimmed();
    const std::string input = parseInput(text);
    const bool digitsOnly = !input.empty() && input.size() <= size_t(kLongestNumberText) &&
                            input.find_first_not_of("+0123456789") == std::string::npos;
    if (!digitsOnly)
        return PhoneNumbers::Validity::Undecidable;
    PhoneNumber number;
    const PhoneNumberUtil::ErrorType error = util().Parse(input, m_regionCode, &number);
    if (error == PhoneNumberUtil::INVALID_COUNTRY_CODE_ERROR && input.front() != '+' &&
        m_regionCode.empty())
        return PhoneNumbers::Validity::Undecidable;
    if (error != PhoneNumberUtil::NO_PARSING_ERROR)
        return PhoneNumbers::Validity::Invalid;
    if (util().IsValidNumber(number))
        return PhoneNumbers::Validity::Valid;
    // US lines send seven digits for a local call: such a number is not a spoof.
    if (util().IsPossibleNumberWithReason(number) == PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY)
        return PhoneNumbers::Validity::LocalOnly;
    return PhoneNumbers::Validity::Invalid;
}

QString Engine::formatted(const QString &number) const
{
    const std::optional<PhoneNumber> parsed = wholeNumber(number, m_regionCode);
    if (!parsed)
        return number;
    const bool home = !m_regionCode.empty() &&
                      parsed->country_code() == util().GetCountryCodeForRegion(m_regionCode);
    std::string text;
    util().Format(*parsed, home ? PhoneNumberUtil::NATIONAL : PhoneNumberUtil::INTERNATIONAL,
                  &text);
    return QString::fromStdString(text);
}

QString Engine::place(const QString &number) const
{
    const std::optional<PhoneNumber> parsed = wholeNumber(number, m_regionCode);
    if (!parsed)
        return {};
    std::call_once(m_geocoderLoaded, [this] {
        const std::string language = m_language.section(QLatin1Char('_'), 0, 0).toStdString();
        const std::string country = m_language.section(QLatin1Char('_'), 1, 1).toStdString();
        m_geocoder.reset(new Geocoder{PhoneNumberOfflineGeocoder(),
                                      icu::Locale(language.c_str(), country.c_str())});
    });
    return QString::fromStdString(
        m_geocoder->geocoder.GetDescriptionForNumber(*parsed, m_geocoder->locale));
}

extern "C" __attribute__((visibility("default"))) NumberEngine *
ringvaneNumberEngine(const QString &region, const QString &language)
{
    return new Engine(region, language);
}
