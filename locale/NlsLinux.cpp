#include "locale/Nls.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <climits>
#include <cstring>
#include <optional>

namespace {

thread_local DWORD t_lastError = 0;

enum class Category { Time, Numeric };

struct UserLocale
{
    QLocale qt;
    bool posix; // C or POSIX: Qt's patterns for it are not the numeric ones wanted
};

// QLocale::system() is read once per process; the environment is read here on each call.
UserLocale userLocale(Category category)
{
    QString name;
    for (const char *var :
         {"LC_ALL", category == Category::Time ? "LC_TIME" : "LC_NUMERIC", "LANG"}) {
        name = qEnvironmentVariable(var);
        if (!name.isEmpty())
            break;
    }
    const QString base = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (base.isEmpty() || base == QLatin1String("C") || base == QLatin1String("POSIX"))
        return {QLocale::c(), true};
    QLocale qt(base);
    return {qt, qt.language() == QLocale::C};
}

struct Token
{
    QChar letter; // null for literal text
    int count = 0;
    QString text; // literal text, quotes removed
};

// Qt's date and time format language: runs of pattern letters, 'quoted' text, AP/ap.
QList<Token> tokenizeQt(const QString &format, QStringView letters)
{
    QList<Token> tokens;
    auto literal = [&](QChar c) {
        if (tokens.isEmpty() || !tokens.last().letter.isNull())
            tokens.append(Token{});
        tokens.last().text.append(c);
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            if (close == i + 1) { // '' is a quote mark
                literal(c);
                i += 2;
                continue;
            }
            const qsizetype end = close < 0 ? format.size() : close;
            for (qsizetype k = i + 1; k < end; ++k)
                literal(format[k]);
            i = end + 1;
        } else if ((c == QLatin1Char('A') || c == QLatin1Char('a')) && letters.contains(c)) {
            const bool pair = i + 1 < format.size() && format[i + 1].toLower() == QLatin1Char('p');
            tokens.append(Token{QLatin1Char('A'), 1, {}});
            i += pair ? 2 : 1;
        } else if (letters.contains(c)) {
            qsizetype n = 1;
            while (i + n < format.size() && format[i + n] == c)
                ++n;
            tokens.append(Token{c, int(n), {}});
            i += n;
        } else {
            literal(c);
            ++i;
        }
    }
    return tokens;
}

// Literal text is quoted when a Windows pattern would read a letter or quote in it.
void appendLiteral(QString &out, const QString &text)
{
    bool quote = false;
    for (const QChar c : text) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || c == QLatin1Char('\''))
            quote = true;
    }
    if (!quote) {
        out += text;
        return;
    }
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    out += QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString windowsDatePattern(const QString &qtFormat)
{
    QString out;
    for (const Token &t : tokenizeQt(qtFormat, u"dMy")) {
        if (t.letter.isNull())
            appendLiteral(out, t.text);
        else
            out += QString(qMin(t.count, 4), t.letter);
    }
    return out;
}

QString windowsTimePattern(const QString &qtFormat)
{
    const QList<Token> tokens = tokenizeQt(qtFormat, u"hHmsztAa");
    bool twelveHour = false;
    for (const Token &t : tokens)
        twelveHour = twelveHour || t.letter == QLatin1Char('A');
    QString out;
    for (const Token &t : tokens) {
        const QChar c = t.letter;
        if (c.isNull())
            appendLiteral(out, t.text);
        else if (c == QLatin1Char('h') || c == QLatin1Char('H'))
            out += QString(qMin(t.count, 2), twelveHour ? QLatin1Char('h') : QLatin1Char('H'));
        else if (c == QLatin1Char('m') || c == QLatin1Char('s'))
            out += QString(qMin(t.count, 2), c);
        else if (c == QLatin1Char('A'))
            out += QLatin1String("tt");
        // milliseconds and the time zone have no place in these formats
    }
    out.replace(QLatin1String("()"), QString());
    return out.trimmed();
}

// The Windows picture language: runs of field letters, 'quoted' text with '' for a quote.
QList<Token> tokenizeWindows(QStringView pattern, QStringView letters)
{
    QList<Token> tokens;
    auto literal = [&](QChar c) {
        if (tokens.isEmpty() || !tokens.last().letter.isNull())
            tokens.append(Token{});
        tokens.last().text.append(c);
    };
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\'')) {
            if (quoted && i + 1 < pattern.size() && pattern[i + 1] == QLatin1Char('\'')) {
                literal(c);
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else if (!quoted && letters.contains(c)) {
            qsizetype n = 1;
            while (i + n < pattern.size() && pattern[i + n] == c)
                ++n;
            tokens.append(Token{c, int(n), {}});
            i += n;
        } else {
            literal(c);
            ++i;
        }
    }
    return tokens;
}

// The text standing between the first field of the given letters and the field after it.
QString separatorAfter(QStringView pattern, QStringView letters, QStringView first)
{
    const QList<Token> tokens = tokenizeWindows(pattern, letters);
    qsizetype i = 0;
    while (i < tokens.size() && !first.contains(tokens[i].letter))
        ++i;
    QString sep;
    for (++i; i < tokens.size() && tokens[i].letter.isNull(); ++i)
        sep += tokens[i].text;
    return sep;
}

QString shortDatePattern(const UserLocale &l)
{
    return l.posix ? QStringLiteral("M/d/yyyy")
                   : windowsDatePattern(l.qt.dateFormat(QLocale::ShortFormat));
}

QString longTimePattern(const UserLocale &l)
{
    return l.posix ? QStringLiteral("HH:mm:ss")
                   : windowsTimePattern(l.qt.timeFormat(QLocale::LongFormat));
}

QString shortTimePattern(const UserLocale &l)
{
    return l.posix ? QStringLiteral("HH:mm")
                   : windowsTimePattern(l.qt.timeFormat(QLocale::ShortFormat));
}

QString amText(const UserLocale &l)
{
    return l.posix ? QStringLiteral("AM") : l.qt.amText();
}

QString pmText(const UserLocale &l)
{
    return l.posix ? QStringLiteral("PM") : l.qt.pmText();
}

std::optional<QString> localeItem(LCTYPE item)
{
    if (item == LOCALE_SDECIMAL || item == LOCALE_STHOUSAND || item == LOCALE_SNEGATIVESIGN) {
        const UserLocale l = userLocale(Category::Numeric);
        if (item == LOCALE_SDECIMAL)
            return l.qt.decimalPoint();
        if (item == LOCALE_STHOUSAND)
            return l.qt.groupSeparator();
        return l.qt.negativeSign();
    }
    const UserLocale l = userLocale(Category::Time);
    switch (item) {
    case LOCALE_SDATE:
        return separatorAfter(shortDatePattern(l), u"dMy", u"dMy");
    case LOCALE_STIME:
        return separatorAfter(shortTimePattern(l), u"hHmst", u"hH");
    case LOCALE_SSHORTDATE:
        return shortDatePattern(l);
    case LOCALE_SLONGDATE:
        return windowsDatePattern(l.qt.dateFormat(QLocale::LongFormat));
    case LOCALE_IDATE: {
        QString order;
        for (const Token &t : tokenizeWindows(shortDatePattern(l), u"dMy"))
            if (!t.letter.isNull())
                order += t.letter;
        if (order.startsWith(QLatin1Char('y')))
            return QStringLiteral("2");
        return order.startsWith(QLatin1Char('d')) ? QStringLiteral("1") : QStringLiteral("0");
    }
    case LOCALE_S1159:
        return amText(l);
    case LOCALE_S2359:
        return pmText(l);
    case LOCALE_SSHORTTIME:
        return shortTimePattern(l);
    case LOCALE_STIMEFORMAT:
        return longTimePattern(l);
    default:
        break;
    }
    if (item >= LOCALE_SDAYNAME1 && item < LOCALE_SDAYNAME1 + 14) {
        const int day = int((item - LOCALE_SDAYNAME1) % 7) + 1; // Monday first, as Qt
        return l.qt.dayName(day, item < LOCALE_SABBREVDAYNAME1 ? QLocale::LongFormat
                                                               : QLocale::ShortFormat);
    }
    if (item >= LOCALE_SMONTHNAME1 && item < LOCALE_SMONTHNAME1 + 24) {
        const int month = int((item - LOCALE_SMONTHNAME1) % 12) + 1;
        return l.qt.monthName(month, item < LOCALE_SABBREVMONTHNAME1 ? QLocale::LongFormat
                                                                     : QLocale::ShortFormat);
    }
    return std::nullopt;
}

bool knownLocale(LCID locale)
{
    return locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT ||
           locale == LOCALE_NEUTRAL;
}

int fail(DWORD error)
{
    t_lastError = error;
    return 0;
}

// The buffer rules shared by all three: size 0 asks, a short buffer fails, NUL appended.
int deliver(const QString &text, LPSTR buffer, int size)
{
    const QByteArray bytes = text.toUtf8();
    const qsizetype needed = bytes.size() + 1;
    if (needed > INT_MAX)
        return fail(NLS_ERROR_INSUFFICIENT_BUFFER);
    if (size == 0)
        return int(needed);
    if (size < needed)
        return fail(NLS_ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, bytes.constData(), bytes.size());
    buffer[bytes.size()] = '\0';
    return int(needed);
}

QString number(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString formatDate(const QDate &date, QStringView pattern, const QLocale &names)
{
    QString out;
    for (const Token &t : tokenizeWindows(pattern, u"dMy")) {
        const QChar c = t.letter;
        if (c.isNull()) {
            out += t.text;
        } else if (c == QLatin1Char('d')) {
            if (t.count <= 2)
                out += number(date.day(), t.count);
            else
                out += names.dayName(date.dayOfWeek(),
                                     t.count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (c == QLatin1Char('M')) {
            if (t.count <= 2)
                out += number(date.month(), t.count);
            else
                out += names.monthName(date.month(),
                                       t.count == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
        } else if (t.count <= 2) {
            out += number(date.year() % 100, t.count);
        } else {
            out += number(date.year(), 4);
        }
    }
    return out;
}

QString formatTime(const QTime &time, QStringView pattern, const UserLocale &l)
{
    QString out;
    for (const Token &t : tokenizeWindows(pattern, u"hHmst")) {
        const QChar c = t.letter;
        const int width = qMin(t.count, 2);
        if (c.isNull())
            out += t.text;
        else if (c == QLatin1Char('h'))
            out += number(time.hour() % 12 == 0 ? 12 : time.hour() % 12, width);
        else if (c == QLatin1Char('H'))
            out += number(time.hour(), width);
        else if (c == QLatin1Char('m'))
            out += number(time.minute(), width);
        else if (c == QLatin1Char('s'))
            out += number(time.second(), width);
        else {
            const QString marker = time.hour() < 12 ? amText(l) : pmText(l);
            out += t.count == 1 ? marker.left(1) : marker;
        }
    }
    return out;
}

bool checkBuffer(LPSTR buffer, int size)
{
    return size >= 0 && (size == 0 || buffer);
}

// Drops the time-only pieces of a time pattern (TIME_NOSECONDS).
QString withoutSeconds(const QString &pattern)
{
    QString out;
    const QList<Token> tokens = tokenizeWindows(pattern, u"hHmst");
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].letter == QLatin1Char('s'))
            continue;
        // the separator in front of the seconds goes with them
        if (tokens[i].letter.isNull() && i + 1 < tokens.size() &&
            tokens[i + 1].letter == QLatin1Char('s'))
            continue;
        if (tokens[i].letter.isNull())
            appendLiteral(out, tokens[i].text);
        else
            out += QString(tokens[i].count, tokens[i].letter);
    }
    return out;
}

} // namespace

int GetLocaleInfoA(LCID locale, LCTYPE item, LPSTR data, int size)
{
    if (!knownLocale(locale) || !checkBuffer(data, size))
        return fail(NLS_ERROR_INVALID_PARAMETER);
    const auto text = localeItem(item & ~LOCALE_NOUSEROVERRIDE);
    if (!text)
        return fail(NLS_ERROR_INVALID_FLAGS);
    return deliver(*text, data, size);
}

int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME *date, LPCSTR format, LPSTR text,
                   int size)
{
    if (!knownLocale(locale) || !checkBuffer(text, size))
        return fail(NLS_ERROR_INVALID_PARAMETER);
    flags &= ~LOCALE_NOUSEROVERRIDE;
    if ((format && flags != 0) || (flags & ~(DATE_SHORTDATE | DATE_LONGDATE)) ||
        flags == (DATE_SHORTDATE | DATE_LONGDATE))
        return fail(NLS_ERROR_INVALID_FLAGS);
    const QDate day = date ? QDate(date->wYear, date->wMonth, date->wDay) : QDate::currentDate();
    if (!day.isValid())
        return fail(NLS_ERROR_INVALID_PARAMETER);
    const UserLocale l = userLocale(Category::Time);
    QString pattern;
    if (format)
        pattern = QString::fromUtf8(format);
    else if (flags & DATE_LONGDATE)
        pattern = windowsDatePattern(l.qt.dateFormat(QLocale::LongFormat));
    else
        pattern = shortDatePattern(l);
    return deliver(formatDate(day, pattern, l.qt), text, size);
}

int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME *time, LPCSTR format, LPSTR text,
                   int size)
{
    if (!knownLocale(locale) || !checkBuffer(text, size))
        return fail(NLS_ERROR_INVALID_PARAMETER);
    flags &= ~LOCALE_NOUSEROVERRIDE;
    if (flags & ~TIME_NOSECONDS)
        return fail(NLS_ERROR_INVALID_FLAGS);
    const QTime at = time ? QTime(time->wHour, time->wMinute, time->wSecond, time->wMilliseconds)
                          : QTime::currentTime();
    if (!at.isValid())
        return fail(NLS_ERROR_INVALID_PARAMETER);
    const UserLocale l = userLocale(Category::Time);
    QString pattern = format ? QString::fromUtf8(format) : longTimePattern(l);
    if (flags & TIME_NOSECONDS)
        pattern = withoutSeconds(pattern);
    return deliver(formatTime(at, pattern, l), text, size);
}

DWORD GetLastError()
{
    return t_lastError;
}
