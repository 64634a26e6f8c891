#include "locale/LocaleDates.h"

#include "locale/LocaleSupport.h"
#include "locale/Nls.h"

#include <QList>

#include <array>

namespace dates {

namespace {

// Longer than any date and time a locale writes; more is not a day text.
constexpr qsizetype kMaxDayTextLength = 256;
constexpr int kTwoDigitYearMax = 2029; // as Windows widens two-digit years

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The letters that a pattern writes as literal text (such as 年 or г); a day text may
// carry them where the pattern does.
QString literalLetters(const QString &pattern)
{
    QString letters;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (c.isLetter() && (quoted || c.unicode() > 0x7F))
            letters += c;
    }
    return letters;
}

class Scanner
{
public:
    Scanner(QStringView text, QStringList markers) : m_text(text), m_markers(std::move(markers)) {}

    bool atEnd() const { return m_pos == m_text.size(); }

    // Punctuation, blanks, the allowed letters and the AM/PM markers; false at any other
    // letter. sawBlank tells whether a blank was among them.
    bool skipFiller(QStringView letters, bool markers, bool *sawBlank = nullptr)
    {
        while (!atEnd()) {
            const QChar c = m_text[m_pos];
            if (isDigit(c))
                return true;
            if (c.isSpace() && sawBlank)
                *sawBlank = true;
            if (!c.isLetter() || letters.contains(c)) {
                ++m_pos;
                continue;
            }
            if (!markers || !skipMarker())
                return false;
        }
        return true;
    }

    // A run of digits, at most maxDigits long.
    bool readNumber(int maxDigits, int &value, int &digits)
    {
        value = 0;
        digits = 0;
        while (!atEnd() && isDigit(m_text[m_pos])) {
            if (++digits > maxDigits)
                return false;
            value = value * 10 + (m_text[m_pos].unicode() - '0');
            ++m_pos;
        }
        return digits > 0;
    }

    bool skipIsoTimeMark()
    {
        if (!atEnd() && m_text[m_pos] == QLatin1Char('T') && m_pos + 1 < m_text.size() &&
            isDigit(m_text[m_pos + 1])) {
            ++m_pos;
            return true;
        }
        return false;
    }

private:
    bool skipMarker()
    {
        for (const QString &m : m_markers) {
            if (!m.isEmpty() && m_text.sliced(m_pos).startsWith(m, Qt::CaseInsensitive)) {
                m_pos += m.size();
                return true;
            }
        }
        return false;
    }

    QStringView m_text;
    QStringList m_markers;
    qsizetype m_pos = 0;
};

// The order of day, month and year in the short date pattern; month-day-year when the
// pattern does not name all three.
QString fieldOrder(const QString &pattern)
{
    QString order;
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted &&
                 (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) &&
                 !order.contains(c))
            order += c;
    }
    return order.size() == 3 ? order : QStringLiteral("Mdy");
}

bool validTime(const QList<int> &parts)
{
    static constexpr int kLimits[] = {23, 59, 59};
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (parts[i] > kLimits[i])
            return false;
    }
    return true;
}

} // namespace

std::optional<QDate> parseDayText(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > kMaxDayTextLength)
        return std::nullopt;

    const QString datePattern = GetLocaleString(LOCALE_SSHORTDATE);
    const QString dateLetters = literalLetters(datePattern);
    const QString timeLetters = dateLetters + literalLetters(GetLocaleString(LOCALE_STIMEFORMAT));
    const QStringList markers{GetLocaleString(LOCALE_S1159), GetLocaleString(LOCALE_S2359),
                              QStringLiteral("AM"), QStringLiteral("PM")};
    Scanner scan(text, markers);

    if (!isDigit(text.front()) && !dateLetters.contains(text.front()))
        return std::nullopt;
    std::array<int, 3> numbers{};
    std::array<int, 3> digits{};
    if (!scan.skipFiller(dateLetters, false))
        return std::nullopt;
    for (int k = 0; k < 3; ++k) {
        if (!scan.readNumber(4, numbers[k], digits[k]))
            return std::nullopt;
        if (k < 2 && !scan.skipFiller(dateLetters, false))
            return std::nullopt;
    }

    // Whatever follows the date must be a time of day, set off by a blank.
    bool blank = scan.skipIsoTimeMark();
    if (!scan.skipFiller(timeLetters, true, &blank))
        return std::nullopt;
    if (!scan.atEnd()) {
        if (!blank)
            return std::nullopt;
        QList<int> parts;
        while (!scan.atEnd()) {
            int value = 0;
            int n = 0;
            if (parts.size() == 3 || !scan.readNumber(2, value, n) ||
                !scan.skipFiller(timeLetters, true))
                return std::nullopt;
            parts.append(value);
        }
        if (!validTime(parts))
            return std::nullopt;
    }

    const QString order = digits[0] >= 3 ? QStringLiteral("yMd") : fieldOrder(datePattern);
    int year = 0, month = 0, day = 0;
    for (int k = 0; k < 3; ++k) {
        const QChar field = order[k];
        if (field == QLatin1Char('y')) {
            year = numbers[k];
            if (digits[k] <= 2)
                year += year + 2000 <= kTwoDigitYearMax ? 2000 : 1900;
        } else if (digits[k] > 2) {
            return std::nullopt;
        } else if (field == QLatin1Char('M')) {
            month = numbers[k];
        } else {
            day = numbers[k];
        }
    }
    const QDate date(year, month, day);
    if (year < 100 || !date.isValid())
        return std::nullopt;
    return date;
}

QString formatGeneralDate(const QDateTime &dateTime)
{
    const QTime t = dateTime.time();
    const SYSTEMTIME record{0, 0, 0, 0, WORD(t.hour()), WORD(t.minute()), WORD(t.second()), 0};
    std::array<char, 256> buffer{};
    const int n =
        GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &record, nullptr, buffer.data(), int(buffer.size()));
    const QString time = n > 0 ? QString::fromUtf8(buffer.data(), n - 1) : QString();
    return FormatLocalDate(dateTime, true) + QLatin1Char(' ') + time;
}

QString decimalSeparator()
{
    return GetLocaleString(LOCALE_SDECIMAL);
}

} // namespace dates
