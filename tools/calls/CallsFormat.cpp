#include "tools/calls/CallsFormat.h"
#include "text/ControlChars.h"

#include <QCoreApplication>

#include <optional>

namespace calls {

namespace {

constexpr char16_t kReplacement = 0xfffd;

// C0, DEL and C1: a terminal acts on them (ESC starts a command sequence).
bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

using unicode::isLayoutControl;

bool isLineBreakOrTab(char16_t c)
{
    return c == ascii::TAB || c == ascii::CR || c == ascii::LF;
}

template <class Replace> QString replaced(QStringView text, Replace replace)
{
    QString result = text.toString();
    for (QChar &c : result) {
        if (replace(c.unicode()))
            c = QChar(kReplacement);
    }
    return result;
}

// What spreadsheets take as the start of a formula (fullwidth forms included: some
// spreadsheets read those as their ASCII twins).
bool startsFormula(char16_t c)
{
    switch (c) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case ascii::TAB:
    case ascii::CR:
    case ascii::LF:
    case 0xff1d:
    case 0xff0b:
    case 0xff0d:
    case 0xff20:
        return true;
    default:
        return false;
    }
}

// Digits and the marks phone numbers are written with: as a formula this is at most
// arithmetic, with no function, reference or link in it.
bool isPhoneNumber(QStringView text)
{
    bool digit = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            digit = true;
        else if (!(u == u' ' || u == u'+' || u == u'-' || u == u'(' || u == u')' || u == u'.' ||
                   u == u'/' || u == u'#' || u == u'*'))
            return false;
    }
    return digit;
}

void appendDigits(std::string &out, int value, int width)
{
    char digits[16];
    char *end = digits + sizeof digits;
    char *p = end;
    do {
        *--p = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (end - p < width)
        *--p = '0';
    out.append(p, size_t(end - p));
}

void appendTwoDigits(std::string &out, int value)
{
    const char digits[2] = {char('0' + value / 10), char('0' + value % 10)};
    out.append(digits, 2);
}

// Appends text as it is when every character is printable ASCII that keep accepts, the
// usual case, without a copy; false, with nothing appended, otherwise.
template <class Keep> bool appendPlainAscii(std::string &out, QStringView text, Keep keep)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7e || !keep(u))
            return false;
    }
    const size_t at = out.size();
    out.resize(at + size_t(text.size()));
    char *p = out.data() + at;
    for (const QChar c : text)
        *p++ = char(c.unicode());
    return true;
}

bool anyAscii(char16_t)
{
    return true;
}

struct Stamp
{
    int year, month, day, hour, minute, second;
};

// The parts of a naive date-time (the call log's are UTC, which is cheap to take apart).
std::optional<Stamp> stampOf(const QDateTime &when)
{
    if (!when.isValid())
        return std::nullopt;
    if (when.timeSpec() != Qt::UTC) {
        const QDate d = when.date();
        const QTime t = when.time();
        return Stamp{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
    }
    constexpr qint64 msPerDay = 86'400'000;
    const qint64 ms = when.toMSecsSinceEpoch();
    qint64 days = ms / msPerDay;
    qint64 rest = ms % msPerDay;
    if (rest < 0) {
        rest += msPerDay;
        --days;
    }
    // Days since 1970-01-01 to a proleptic Gregorian date (Howard Hinnant's method).
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const qint64 dayOfEra = days - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    const qint64 month = mp < 10 ? mp + 3 : mp - 9;
    const qint64 seconds = rest / 1000;
    return Stamp{int(yearOfEra + era * 400 + (month <= 2)),
                 int(month),
                 int(dayOfYear - (153 * mp + 2) / 5 + 1),
                 int(seconds / 3600),
                 int(seconds / 60 % 60),
                 int(seconds % 60)};
}

QString visibleText(QStringView text)
{
    return replaced(text, [](char16_t c) { return isControl(c) || isLayoutControl(c); });
}

} // namespace

void appendJsonString(std::string &out, const QString &text)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    if (appendPlainAscii(out, text, [](char16_t c) { return c != u'"' && c != u'\\'; })) {
        out += '"';
        return;
    }
    qsizetype plainFrom = 0;
    auto flushPlain = [&](qsizetype upTo) {
        if (upTo > plainFrom)
            out += QStringView(text).mid(plainFrom, upTo - plainFrom).toUtf8().toStdString();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const char *escape = nullptr;
        switch (c) {
        case u'"':
            escape = "\\\"";
            break;
        case u'\\':
            escape = "\\\\";
            break;
        case ascii::BS:
            escape = "\\b";
            break;
        case ascii::FF:
            escape = "\\f";
            break;
        case ascii::LF:
            escape = "\\n";
            break;
        case ascii::CR:
            escape = "\\r";
            break;
        case ascii::TAB:
            escape = "\\t";
            break;
        default:
            break;
        }
        if (!escape && !isControl(c) && !isLayoutControl(c))
            continue;
        flushPlain(i);
        plainFrom = i + 1;
        if (escape) {
            out += escape;
        } else {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHex[(c >> shift) & 0xf];
        }
    }
    flushPlain(text.size());
    out += '"';
}

void appendVisible(std::string &out, QStringView text)
{
    if (!appendPlainAscii(out, text, anyAscii))
        out += visibleText(text).toUtf8().toStdString();
}

void appendIsoDateTime(std::string &out, const QDateTime &when)
{
    const std::optional<Stamp> s = stampOf(when);
    if (!s)
        return;
    appendDigits(out, s->year, 4);
    out += '-';
    appendTwoDigits(out, s->month);
    out += '-';
    appendTwoDigits(out, s->day);
    out += 'T';
    appendTwoDigits(out, s->hour);
    out += ':';
    appendTwoDigits(out, s->minute);
    if (s->second != 0) {
        out += ':';
        appendTwoDigits(out, s->second);
    }
}

void appendTextLine(std::string &out, int listNumber, const CallRecord &call,
                    const TextStyle &style, bool withNames)
{
    appendDigits(out, listNumber, 3);
    out += style.decimalSep;
    out += '[';
    if (const std::optional<Stamp> s = stampOf(call.when)) {
        appendDigits(out, s->year, 4);
        out += style.dateSep;
        appendTwoDigits(out, s->month);
        out += style.dateSep;
        appendTwoDigits(out, s->day);
        out += ' ';
        appendTwoDigits(out, s->hour);
        out += style.timeSep;
        appendTwoDigits(out, s->minute);
    } else {
        out += ' ';
    }
    out += "] ";
    appendVisible(out, call.number);
    if (withNames && !call.name.isEmpty()) {
        out += ' ';
        appendVisible(out, call.name);
    }
    if (!call.contact.isEmpty()) {
        out += " (";
        appendVisible(out, call.contact);
        out += ')';
    }
    if (call.blocked) {
        out += ' ';
        appendVisible(out, QCoreApplication::translate("ringvane-calls", "[hung up]"));
    }
    out += '\n';
}

void appendCsvHeader(std::string &out)
{
    out += "datetime,number,name,contact,blocked\r\n";
}

void appendCsvCell(std::string &out, QStringView text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first) == u' ')
        ++first;
    const bool formula = first < text.size() && startsFormula(text.at(first).unicode());
    if (!formula && appendPlainAscii(out, text, [](char16_t c) { return c != u',' && c != u'"'; }))
        return;
    // Line breaks stay: inside quotes they are part of the cell.
    QString cell = replaced(text, [](char16_t c) {
        return (isControl(c) && !isLineBreakOrTab(c)) || isLayoutControl(c);
    });
    if (formula && !isPhoneNumber(cell))
        cell.prepend(u'\'');
    if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(ascii::CR) &&
        !cell.contains(ascii::LF)) {
        out += cell.toUtf8().toStdString();
        return;
    }
    cell.replace(u'"', QStringLiteral("\"\""));
    out += '"';
    out += cell.toUtf8().toStdString();
    out += '"';
}

void appendCsvRecord(std::string &out, const CallRecord &call)
{
    appendIsoDateTime(out, call.when);
    out += ',';
    appendCsvCell(out, call.number);
    out += ',';
    appendCsvCell(out, call.name);
    out += ',';
    appendCsvCell(out, call.contact);
    out += call.blocked ? ",yes\r\n" : ",\r\n";
}

void appendJsonLine(std::string &out, const CallRecord &call)
{
    out += "{\"datetime\": ";
    if (call.when.isValid()) {
        out += '"';
        appendIsoDateTime(out, call.when);
        out += '"';
    } else {
        out += "null";
    }
    out += ", \"number\": ";
    if (call.number.isNull())
        out += "null";
    else
        appendJsonString(out, call.number);
    out += ", \"name\": ";
    if (call.name.isEmpty())
        out += "null";
    else
        appendJsonString(out, call.name);
    out += ", \"contact\": ";
    if (call.contact.isEmpty())
        out += "null";
    else
        appendJsonString(out, call.contact);
    out += call.blocked ? ", \"blocked\": true}\n" : ", \"blocked\": false}\n";
}

} // namespace calls
