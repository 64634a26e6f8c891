#include "callers/ContactFiles.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringDecoder>

#include <optional>

namespace contactfiles {

namespace {

// Why a card or row gave no entry, in the user's language as it is when the file is read.
QString noName()
{
    return QCoreApplication::translate("ContactFiles", "no name");
}

QString noNumber()
{
    return QCoreApplication::translate("ContactFiles", "no telephone number");
}

QString lineTooLong()
{
    return QCoreApplication::translate("ContactFiles", "a line longer than 64 KiB");
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView start)
{
    return text.size() >= start.size() &&
           text.first(start.size()).compare(start, Qt::CaseInsensitive) == 0;
}

QByteArray withoutBom(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

// Text in the charset a card names; without one (or one we do not know), UTF-8, and where
// that does not fit, Windows-1252, which old phones wrote without saying so.
QString decodeText(const QByteArray &bytes, const QByteArray &charset)
{
    if (!charset.isEmpty()) {
        QStringDecoder named(charset.constData(), QStringConverter::Flag::Stateless);
        if (named.isValid()) {
            QString text = named.decode(bytes);
            if (!named.hasError())
                return text;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows("windows-1252");
    if (windows.isValid())
        return windows.decode(bytes);
    return QString::fromLatin1(bytes);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray fromQuotedPrintable(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            bytes.append(char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else if (text[i] == '=' && i + 1 == text.size()) {
            // a soft line break left at the very end
        } else {
            bytes.append(text[i]);
        }
    }
    return bytes;
}

// Splits at the separator where it is not escaped with a backslash, and takes the escapes
// out: "Smith\, Jr.;John" gives "Smith, Jr." and "John".
QStringList splitUnescaped(const QString &value, QChar separator)
{
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            if (next == QLatin1Char('n') || next == QLatin1Char('N'))
                part += QLatin1Char(' ');
            else if (next == QLatin1Char(',') || next == QLatin1Char(';') ||
                     next == QLatin1Char('\\') || next == QLatin1Char(':'))
                part += next;
            else
                part += c, part += next;
        } else if (c == separator) {
            parts.append(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.append(part);
    return parts;
}

QString unescaped(const QString &value)
{
    return splitUnescaped(value, QChar()).join(QString()).simplified();
}

// "Family;Given;Additional;Prefix;Suffix" as it is said: "Dr. John Q. Smith Jr.".
QString nameFromParts(const QString &value)
{
    const QStringList parts = splitUnescaped(value, QLatin1Char(';'));
    QStringList said;
    for (int index : {3, 1, 2, 0, 4}) {
        const QString part = parts.value(index).simplified();
        if (!part.isEmpty())
            said.append(part);
    }
    return said.join(QLatin1Char(' '));
}

struct Property
{
    QByteArray name; // upper case, without its group ("item1.TEL" -> "TEL")
    QString value;
};

// "group.NAME;PARAM=x;PARAM:value", the value decoded from quoted-printable and its
// charset. Colons and semicolons inside double-quoted parameters do not count.
std::optional<Property> parseProperty(QByteArrayView line)
{
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return std::nullopt;
    const QByteArrayView head = line.first(colon);
    const QByteArrayView rawValue = line.sliced(colon + 1);

    QList<QByteArrayView> fields;
    qsizetype start = 0;
    quoted = false;
    for (qsizetype i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"')
            quoted = !quoted;
        else if (i == head.size() || (head[i] == ';' && !quoted)) {
            fields.append(head.sliced(start, i - start));
            start = i + 1;
        }
    }
    Property property;
    QByteArrayView name = fields.first().trimmed();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.sliced(dot + 1);
    property.name = name.toByteArray().toUpper();

    bool quotedPrintable = false;
    QByteArray charset;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QByteArrayView field = fields[i].trimmed();
        const qsizetype equals = field.indexOf('=');
        const QByteArrayView key = equals < 0 ? QByteArrayView() : field.first(equals).trimmed();
        QByteArray setting =
            (equals < 0 ? field : field.sliced(equals + 1)).trimmed().toByteArray();
        if (setting.size() >= 2 && setting.startsWith('"') && setting.endsWith('"'))
            setting = setting.mid(1, setting.size() - 2);
        if (setting.compare("QUOTED-PRINTABLE", Qt::CaseInsensitive) == 0 &&
            (equals < 0 || key.compare("ENCODING", Qt::CaseInsensitive) == 0))
            quotedPrintable = true;
        else if (equals >= 0 && key.compare("CHARSET", Qt::CaseInsensitive) == 0)
            charset = setting;
    }
    property.value = quotedPrintable ? decodeText(fromQuotedPrintable(rawValue), charset)
                                     : decodeText(rawValue.toByteArray(), charset);
    return property;
}

bool isQuotedPrintableHead(QByteArrayView line)
{
    const qsizetype colon = line.indexOf(':');
    const QByteArrayView head = colon < 0 ? line : line.first(colon);
    return head.toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// Physical lines, one at a time, with their numbers from 1.
class LineReader
{
public:
    explicit LineReader(const QByteArray &bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    int number() const { return m_number; }
    QByteArrayView peek() const { return line(m_pos).first; }
    QByteArrayView next()
    {
        const auto [text, after] = line(m_pos);
        m_pos = after;
        ++m_number;
        return text;
    }

private:
    std::pair<QByteArrayView, qsizetype> line(qsizetype from) const
    {
        qsizetype end = from;
        while (end < m_bytes.size() && m_bytes[end] != '\n' && m_bytes[end] != '\r')
            ++end;
        qsizetype after = end;
        if (after < m_bytes.size() && m_bytes[after] == '\r')
            ++after;
        if (after < m_bytes.size() && m_bytes[after] == '\n' &&
            (after == end || m_bytes[end] == '\r'))
            ++after;
        return {QByteArrayView(m_bytes).sliced(from, end - from), after};
    }

    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
    int m_number = 0;
};

struct Card
{
    int line = 0;
    QString formattedName;
    QString structuredName;
    QString organisation;
    QStringList numbers;
    QSet<QString> seen;
    bool overlongNumber = false;
};

void finishCard(Card &card, Contents &contents)
{
    QString name = card.formattedName;
    if (name.isEmpty())
        name = card.structuredName;
    if (name.isEmpty())
        name = card.organisation;
    if (card.numbers.isEmpty()) {
        contents.skipped.append({card.line, card.overlongNumber ? lineTooLong() : noNumber()});
        return;
    }
    if (name.isEmpty()) {
        contents.skipped.append({card.line, noName()});
        return;
    }
    for (const QString &number : std::as_const(card.numbers))
        contents.entries.append({number, name});
}

} // namespace

Contents readVCards(const QByteArray &input)
{
    const QByteArray bytes = withoutBom(input);
    Contents contents;
    LineReader reader(bytes);
    std::optional<Card> card;
    int depth = 0; // cards inside a card (vCard 2.1's AGENT) are not the card's own
    QByteArray logical;
    while (!reader.atEnd()) {
        const int lineNumber = reader.number() + 1;
        const QByteArrayView first = reader.next();
        logical = first.toByteArray();
        bool overlong = false;
        const bool quotedPrintable =
            isQuotedPrintableHead(first.first(std::min<qsizetype>(first.size(), 512)));
        // Folded lines go on with a space or tab; quoted-printable ones after a final "=".
        while (!reader.atEnd()) {
            const QByteArrayView following = reader.peek();
            const bool folded =
                !following.isEmpty() && (following[0] == ' ' || following[0] == '\t');
            const bool softBreak = quotedPrintable && logical.endsWith('=');
            if (!folded && !softBreak)
                break;
            reader.next();
            if (overlong)
                continue;
            if (softBreak)
                logical.chop(1);
            logical.append(folded ? following.sliced(1) : following);
            if (logical.size() > kLongestLine) {
                overlong = true;
                logical.truncate(0);
            }
        }
        if (first.size() > kLongestLine)
            overlong = true;

        if (overlong) {
            if (card && depth == 0 && startsWithNoCase(first.trimmed(), "TEL"))
                card->overlongNumber = true;
            continue;
        }
        const std::optional<Property> property = parseProperty(logical);
        if (!property)
            continue;
        const QString value = property->value.trimmed();
        if (property->name == "BEGIN" &&
            value.compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            if (card)
                ++depth;
            else
                card.emplace().line = lineNumber;
            continue;
        }
        if (!card)
            continue;
        if (property->name == "END" &&
            value.compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            if (depth > 0) {
                --depth;
                continue;
            }
            finishCard(*card, contents);
            card.reset();
            continue;
        }
        if (depth > 0)
            continue;
        if (property->name == "FN") {
            card->formattedName = unescaped(value);
        } else if (property->name == "N") {
            card->structuredName = nameFromParts(value);
        } else if (property->name == "ORG") {
            card->organisation = splitUnescaped(value, QLatin1Char(';')).value(0).simplified();
        } else if (property->name == "TEL") {
            QString number = unescaped(value);
            if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                number = number.mid(4).trimmed();
            if (!number.isEmpty() && !card->seen.contains(number)) {
                card->seen.insert(number);
                card->numbers.append(number);
            }
        }
    }
    // A last card without its END line is still the user's.
    if (card)
        finishCard(*card, contents);
    return contents;
}

namespace {

// RFC 4180 records from the text: quoted fields may hold commas, quotes ("") and line
// breaks. A field longer than kLongestLine is cut there and the record flagged.
class CsvReader
{
public:
    explicit CsvReader(const QString &text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    int line() const { return m_line; }

    // The next record's fields; overlong tells whether a field was cut.
    QStringList next(bool *overlong)
    {
        QStringList fields;
        QString field;
        bool quoted = false;
        *overlong = false;
        const auto add = [&](QChar c) {
            if (field.size() < kLongestLine)
                field += c;
            else
                *overlong = true;
        };
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos++);
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('"')) {
                        add(c);
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    add(c);
                }
            } else if (c == QLatin1Char('"')) {
                quoted = true;
            } else if (c == QLatin1Char(',')) {
                fields.append(field);
                field.clear();
            } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
                if (c == QLatin1Char('\r') && m_pos < m_text.size() &&
                    m_text.at(m_pos) == QLatin1Char('\n'))
                    ++m_pos;
                ++m_line;
                break;
            } else {
                add(c);
            }
        }
        fields.append(field);
        return fields;
    }

private:
    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

QString decodeCsv(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        // The byte-order mark tells which of the two; the decoder reads it and drops it.
        return utf16.decode(bytes);
    }
    return decodeText(withoutBom(bytes), QByteArray());
}

} // namespace

Contents readGoogleCsv(const QByteArray &bytes)
{
    Contents contents;
    const QString text = decodeCsv(bytes);
    CsvReader reader(text);
    bool overlong = false;
    const QStringList header = reader.next(&overlong);

    const auto column = [&](std::initializer_list<const char *> names) {
        for (const char *name : names) {
            const qsizetype index = header.indexOf(QLatin1String(name));
            if (index >= 0)
                return index;
        }
        return qsizetype(-1);
    };
    const qsizetype fullName = column({"Name"});
    const qsizetype given = column({"Given Name", "First Name"});
    const qsizetype middle = column({"Additional Name", "Middle Name"});
    const qsizetype family = column({"Family Name", "Last Name"});
    const QList<qsizetype> fallbacks = {column({"Nickname"}), column({"File As"}),
                                        column({"Organization 1 - Name", "Organization Name"})};
    QList<qsizetype> phones;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString &title = header.at(i);
        if (title.startsWith(QLatin1String("Phone ")) && title.endsWith(QLatin1String(" - Value")))
            phones.append(i);
    }
    if (phones.isEmpty()) {
        contents.skipped.append(
            {1,
             QCoreApplication::translate(
                 "ContactFiles", "not a Google Contacts export (no \"Phone 1 - Value\" column)")});
        return contents;
    }

    while (!reader.atEnd()) {
        const int line = reader.line();
        const QStringList row = reader.next(&overlong);
        if (row.size() == 1 && row.first().trimmed().isEmpty())
            continue;
        QString name = row.value(fullName).simplified();
        if (name.isEmpty()) {
            QStringList parts;
            for (qsizetype index : {given, middle, family}) {
                const QString part = row.value(index).simplified();
                if (!part.isEmpty())
                    parts.append(part);
            }
            name = parts.join(QLatin1Char(' '));
        }
        for (qsizetype index : fallbacks) {
            if (name.isEmpty())
                name = row.value(index).simplified();
        }
        QStringList numbers;
        QSet<QString> seen;
        for (qsizetype index : std::as_const(phones)) {
            // The columns are in order: a short row ends the work, whatever the header holds.
            if (index >= row.size())
                break;
            // Google puts every number of one kind into one cell.
            for (const QString &number : row.at(index).split(QLatin1String(" ::: "))) {
                const QString trimmed = number.trimmed();
                if (!trimmed.isEmpty() && !seen.contains(trimmed)) {
                    seen.insert(trimmed);
                    numbers.append(trimmed);
                }
            }
        }
        if (numbers.isEmpty()) {
            contents.skipped.append({line, overlong ? lineTooLong() : noNumber()});
            continue;
        }
        if (name.isEmpty()) {
            contents.skipped.append({line, noName()});
            continue;
        }
        for (const QString &number : std::as_const(numbers))
            contents.entries.append({number, name});
    }
    return contents;
}

Contents readContacts(const QByteArray &bytes)
{
    const QByteArray content = withoutBom(bytes);
    const QByteArrayView start = QByteArrayView(content).trimmed();
    if (startsWithNoCase(start, "BEGIN:VCARD") || startsWithNoCase(start, "BEGIN;"))
        return readVCards(bytes);
    return readGoogleCsv(bytes);
}

} // namespace contactfiles
