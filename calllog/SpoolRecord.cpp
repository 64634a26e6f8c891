#include "calllog/SpoolRecord.h"

#include "locale/DateServices.h"

#include <QHash>

#include <array>
#include <limits>
#include <optional>

namespace spoolrecord {

namespace {

constexpr QByteArrayView Marker("\x1eRVS");
constexpr char Start = '\x1e';
// Left readable in values: what numbers and date-times are made of.
const QByteArray Readable = QByteArrayLiteral("+:#*");

constexpr std::array<quint32, 256> crcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> CrcTable = crcTable();

QByteArray hex8(quint32 value)
{
    return QByteArray::number(value, 16).rightJustified(8, '0');
}

QByteArray record(const QByteArray &payload)
{
    const QByteArray head = QByteArray::number(Version) + ' ' + hex8(quint32(payload.size())) + ' ';
    const quint32 crc = crc32(payload, crc32(head));
    return Marker.toByteArray() + head + hex8(crc) + ' ' + payload + '\n';
}

QByteArray value(const QString &text)
{
    return text.toUtf8().toPercentEncoding(Readable);
}

std::optional<quint64> decimal(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 20)
        return std::nullopt;
    quint64 n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const quint64 digit = quint64(c - '0');
        if (n > (std::numeric_limits<quint64>::max() - digit) / 10)
            return std::nullopt;
        n = n * 10 + digit;
    }
    return n;
}

// The pieces of text between separators, empty ones left out.
QList<QByteArrayView> pieces(QByteArrayView text, char separator)
{
    QList<QByteArrayView> list;
    qsizetype from = 0;
    while (from <= text.size()) {
        qsizetype to = text.indexOf(separator, from);
        if (to < 0)
            to = text.size();
        if (to > from)
            list.append(text.sliced(from, to - from));
        from = to + 1;
    }
    return list;
}

std::optional<quint32> hex(QByteArrayView text)
{
    if (text.size() != 8)
        return std::nullopt;
    quint32 n = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        n = n << 4 | quint32(digit);
    }
    return n;
}

// "yyyy-MM-ddTHH:mm", fixed width, no locale involved.
std::optional<QDateTime> parseMinute(QByteArrayView text)
{
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':')
        return std::nullopt;
    auto field = [&](int from, int len) { return decimal(text.sliced(from, len)); };
    const auto y = field(0, 4), mo = field(5, 2), d = field(8, 2), h = field(11, 2),
               mi = field(14, 2);
    if (!y || !mo || !d || !h || !mi)
        return std::nullopt;
    const QDate date{int(*y), int(*mo), int(*d)};
    const QTime time{int(*h), int(*mi)};
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return dates::makeDateTime(date, time);
}

QByteArray formatMinute(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d", d.year(), d.month(), d.day(), t.hour(),
                             t.minute())
        .toLatin1();
}

// One record at the head of bytes (which starts with the marker): its size and payload.
struct Framed
{
    qsizetype size;
    QByteArrayView payload;
};

std::optional<Framed> frame(QByteArrayView bytes)
{
    qsizetype pos = Marker.size();
    // The version has at most 4 digits: the search for its end goes no further.
    const qsizetype versionEnd = bytes.first(qMin(bytes.size(), pos + 5)).indexOf(' ', pos);
    if (versionEnd < 0 || versionEnd == pos || versionEnd - pos > 4 ||
        !decimal(bytes.sliced(pos, versionEnd - pos)))
        return std::nullopt;
    pos = versionEnd + 1;
    if (bytes.size() < pos + 18 || bytes[pos + 8] != ' ' || bytes[pos + 17] != ' ')
        return std::nullopt;
    const auto length = hex(bytes.sliced(pos, 8));
    const auto crc = hex(bytes.sliced(pos + 9, 8));
    const qsizetype headEnd = pos + 9;
    pos += 18;
    if (!length || !crc || *length > MaxPayload || bytes.size() < pos + qsizetype(*length) + 1)
        return std::nullopt;
    const QByteArrayView payload = bytes.sliced(pos, *length);
    if (bytes[pos + *length] != '\n' || payload.contains(Start))
        return std::nullopt;
    const QByteArrayView head = bytes.sliced(Marker.size(), headEnd - Marker.size());
    if (crc32(payload, crc32(head)) != *crc)
        return std::nullopt;
    return Framed{pos + qsizetype(*length) + 1, payload};
}

struct Fields
{
    QByteArrayView kind;
    QHash<QByteArrayView, QByteArrayView> values;
};

Fields split(QByteArrayView payload)
{
    Fields fields;
    bool first = true;
    for (const QByteArrayView token : pieces(payload, ' ')) {
        if (first) {
            fields.kind = token;
            first = false;
        } else if (const qsizetype eq = token.indexOf('='); eq > 0) {
            fields.values.insert(token.first(eq), token.sliced(eq + 1));
        }
    }
    return fields;
}

QString text(QByteArrayView encoded)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toByteArray()));
}

} // namespace

quint32 crc32(QByteArrayView bytes, quint32 crc)
{
    crc = ~crc;
    for (const char c : bytes)
        crc = CrcTable[(crc ^ quint8(c)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QByteArray encodeCall(const SpooledCall &call)
{
    const QDate date = call.call.when.date();
    if (!call.call.when.isValid() || date.year() < 1 || date.year() > 9999)
        return {};
    const QByteArray payload =
        "call id=" + QByteArray::number(call.id) + " at=" + formatMinute(call.call.when) +
        " number=" + value(call.call.number) + " name=" + value(call.call.name) +
        (call.call.blocked ? " action=blocked" : "");
    if (payload.size() > MaxPayload)
        return {};
    return record(payload);
}

QByteArray encodeStored(const QList<quint64> &ids)
{
    QByteArray bytes;
    for (qsizetype from = 0; from < ids.size(); from += MaxIdsPerRecord) {
        QByteArray payload = "stored ids=";
        const qsizetype to = qMin(ids.size(), from + MaxIdsPerRecord);
        for (qsizetype i = from; i < to; ++i) {
            if (i > from)
                payload += ',';
            payload += QByteArray::number(ids[i]);
        }
        bytes += record(payload);
    }
    return bytes;
}

Contents decode(QByteArrayView file)
{
    Contents contents;
    QHash<quint64, qsizetype> waitingAt; // id -> index in contents.waiting, while waiting
    QList<bool> stored;                  // by index in contents.waiting
    auto damaged = [&](qint64 offset, qint64 length) {
        contents.damage.append({offset, length});
        contents.onlyWaiting = false;
    };

    qsizetype pos = 0;
    qsizetype badFrom = -1;
    while (pos < file.size()) {
        const QByteArrayView rest = file.sliced(pos);
        const std::optional<Framed> framed = rest.startsWith(Marker) ? frame(rest) : std::nullopt;
        if (!framed) {
            if (badFrom < 0)
                badFrom = pos;
            const qsizetype next = file.indexOf(Marker, pos + 1);
            pos = next < 0 ? file.size() : next;
            continue;
        }
        if (badFrom >= 0) {
            damaged(badFrom, pos - badFrom);
            badFrom = -1;
        }
        const Fields fields = split(framed->payload);
        if (fields.kind == "call") {
            const auto id = decimal(fields.values.value("id"));
            const auto when = parseMinute(fields.values.value("at"));
            if (!id || !when) {
                damaged(pos, framed->size);
            } else if (waitingAt.contains(*id)) {
                contents.onlyWaiting = false;
            } else {
                contents.highestId = qMax(contents.highestId, *id);
                const Call call{*when, text(fields.values.value("number")),
                                text(fields.values.value("name")),
                                fields.values.value("action") == "blocked"};
                waitingAt.insert(*id, contents.waiting.size());
                contents.waiting.append({SpooledCall{*id, call}, framed->size});
                stored.append(false);
            }
        } else {
            contents.onlyWaiting = false;
            if (fields.kind == "stored") {
                const QByteArrayView list = fields.values.value("ids");
                for (const QByteArrayView one : pieces(list, ',')) {
                    if (const auto id = decimal(one)) {
                        if (const auto at = waitingAt.constFind(*id); at != waitingAt.cend()) {
                            stored[*at] = true;
                            waitingAt.erase(at);
                        }
                    }
                }
            }
        }
        pos += framed->size;
    }
    if (badFrom >= 0)
        damaged(badFrom, file.size() - badFrom);

    qsizetype kept = 0;
    for (qsizetype i = 0; i < contents.waiting.size(); ++i) {
        if (!stored[i])
            contents.waiting[kept++] = contents.waiting[i];
    }
    contents.waiting.resize(kept);
    return contents;
}

} // namespace spoolrecord
