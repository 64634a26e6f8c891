#include "calllog/CallerIdDecoder.h"
#include "text/ControlChars.h"

#include <string_view>
#include <utility>

namespace {

enum class Tag { Date, Time, Nmbr, DdnNmbr, Ddn, Name };

struct FieldLine
{
    Tag tag;
    QStringView value;
};

bool isLineEnd(QChar c)
{
    return c == ascii::CR || c == ascii::LF;
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == ascii::TAB;
}

qsizetype findLineEnd(const QChar *data, qsizetype from, qsizetype size)
{
    for (qsizetype i = from; i < size; ++i) {
        if (isLineEnd(data[i]))
            return i;
    }
    return size;
}

// Tag, optional blanks, "=", optional blanks, value. Anything else is not ours.
std::optional<FieldLine> parseFieldLine(QStringView line)
{
    static constexpr std::pair<std::u16string_view, Tag> tags[] = {
        {u"DATE", Tag::Date},        {u"TIME", Tag::Time}, {u"NMBR", Tag::Nmbr},
        {u"DDN_NMBR", Tag::DdnNmbr}, {u"DDN", Tag::Ddn},   {u"NAME", Tag::Name},
    };
    for (const auto &[name, tag] : tags) {
        if (!line.startsWith(name))
            continue;
        qsizetype i = qsizetype(name.size());
        while (i < line.size() && isBlank(line[i]))
            ++i;
        // "DDN_NMBR" starts with "DDN" too; only a blank or "=" may follow a tag.
        if (i == line.size() || line[i] != QLatin1Char('='))
            continue;
        ++i;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        return FieldLine{tag, line.sliced(i)};
    }
    return std::nullopt;
}

// "RING", alone or followed by a blank and whatever a modem says about the ring.
bool isRingLine(QStringView line)
{
    return line.startsWith(u"RING") && (line.size() == 4 || isBlank(line[4]));
}

// Exactly four ASCII digits as two 2-digit numbers; QChar::isDigit would let other
// scripts' digits through.
std::optional<std::pair<int, int>> twoPairs(QStringView value)
{
    if (value.size() != 4)
        return std::nullopt;
    int digits[4];
    for (int i = 0; i < 4; ++i) {
        const char16_t c = value[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        digits[i] = c - u'0';
    }
    return std::pair(digits[0] * 10 + digits[1], digits[2] * 10 + digits[3]);
}

// The report carries no year: a month and day more than one day ahead of today belong to
// the year before (a 1231 decoded on 1 January). Invalid when the day does not exist then.
QDate reportDate(int month, int day, const QDate &today)
{
    const QDate tomorrow = today.addDays(1);
    int year = today.year();
    if (tomorrow.year() == year &&
        std::pair(month, day) > std::pair(tomorrow.month(), tomorrow.day()))
        --year;
    return QDate(year, month, day);
}

} // namespace

CallerIdDecoder::CallerIdDecoder(const dates::Clock &clock) : m_clock(&clock) {}

void CallerIdDecoder::reset()
{
    m_monthDay.reset();
    m_hourMinute.reset();
    m_report.reset();
    m_nextName.reset();
    m_completed.clear();
    m_consumed = Consumed::Text;
    m_discarding = false;
    m_scanned = 0;
}

QList<DecodedCall> CallerIdDecoder::decode(QString &buffer, const QString &dateSep,
                                           const QString &timeSep)
{
    m_passNow.reset();
    QList<DecodedCall> calls;
    const QChar *data = buffer.constData();
    const qsizetype size = buffer.size();
    if (m_scanned > size)
        m_scanned = 0;

    // Walk the lines and cut the consumed text off once: removing line by line would
    // make a buffer full of short lines quadratic.
    qsizetype pos = 0;
    qsizetype from = m_scanned;
    while (pos < size) {
        const qsizetype end = findLineEnd(data, from, size);
        if (end == size)
            break;
        // CR LF, CR alone and LF alone all end a line; an empty line is the LF of a pair
        // or a blank line, which ends the report.
        const bool cr = data[end] == ascii::CR;
        if (end == pos && !m_discarding) {
            if (m_consumed == Consumed::Lf || (m_consumed == Consumed::Cr && cr))
                endReport(calls);
        } else if (!m_discarding && end - pos <= MaxLineLength) {
            takeLine(QStringView(data + pos, end - pos), calls, dateSep, timeSep);
        }
        m_discarding = false;
        m_consumed = cr ? Consumed::Cr : Consumed::Lf;
        pos = end + 1;
        from = pos;
    }
    if (size - pos > MaxLineLength) {
        // Whatever follows until this line's end is its tail, not a field line.
        m_discarding = true;
        m_consumed = Consumed::Text;
        pos = size;
    }
    buffer.remove(0, pos);
    m_scanned = buffer.size();
    return calls;
}

void CallerIdDecoder::takeLine(QStringView line, QList<DecodedCall> &calls, const QString &dateSep,
                               const QString &timeSep)
{
    const std::optional<FieldLine> field = parseFieldLine(line);
    if (!field) {
        if (isRingLine(line))
            endReport(calls);
        return;
    }
    switch (field->tag) {
    case Tag::Date:
        endReport(calls); // a new report begins
        if (const auto md = twoPairs(field->value))
            m_monthDay = MonthDay{md->first, md->second};
        else
            m_monthDay.reset();
        break;
    case Tag::Time:
        endReport(calls);
        if (const auto hm = twoPairs(field->value); hm && QTime::isValid(hm->first, hm->second, 0))
            m_hourMinute = HourMinute{hm->first, hm->second};
        else
            m_hourMinute.reset();
        break;
    case Tag::Nmbr:
        takeNumber(1u << 0, true, field->value, calls, dateSep, timeSep);
        break;
    case Tag::DdnNmbr:
        takeNumber(1u << 1, false, field->value, calls, dateSep, timeSep);
        break;
    case Tag::Ddn:
        takeNumber(1u << 2, false, field->value, calls, dateSep, timeSep);
        break;
    case Tag::Name:
        takeName(field->value);
        break;
    }
}

void CallerIdDecoder::takeNumber(unsigned tagBit, bool isNmbr, QStringView number,
                                 QList<DecodedCall> &calls, const QString &dateSep,
                                 const QString &timeSep)
{
    // A number line of a kind the open report already had is the next report (a modem
    // that sends number lines alone, or the same report again). A name that came for the
    // next report stays for it.
    if (m_report && (m_report->numberTags & tagBit))
        closeOpenReport(calls);

    if (!m_report) {
        DecodedCall call = completeCall(number, dateSep, timeSep);
        if (isNmbr)
            calls.append(call);
        m_report = OpenReport{++m_reportsOpened, tagBit, !isNmbr, std::move(call),
                              std::exchange(m_nextName, std::nullopt)};
        return;
    }

    // The report's second number line: NMBR wins over a held DDN line; whatever comes
    // after NMBR, or after the first DDN line, changes nothing.
    m_report->numberTags |= tagBit;
    if (isNmbr && m_report->held) {
        m_report->call.number = number.toString();
        m_report->held = false;
        calls.append(m_report->call);
    }
}

void CallerIdDecoder::takeName(QStringView name)
{
    // The first name of a report is its name; one more, after the number line, is taken
    // for the report that follows (a modem that sends NAME before NMBR, without a pause).
    if (m_report && !m_report->name)
        m_report->name = name.toString();
    else if (!m_nextName)
        m_nextName = name.toString();
}

void CallerIdDecoder::closeOpenReport(QList<DecodedCall> &calls)
{
    if (!m_report)
        return;
    if (m_report->held)
        calls.append(m_report->call);
    m_completed.append(
        CompletedCall{std::move(m_report->call), m_report->name.value_or(QString())});
    m_report.reset();
}

void CallerIdDecoder::endReport(QList<DecodedCall> &calls)
{
    closeOpenReport(calls);
    m_nextName.reset();
}

QList<DecodedCall> CallerIdDecoder::closeReport()
{
    QList<DecodedCall> calls;
    endReport(calls);
    return calls;
}

DecodedCall CallerIdDecoder::completeCall(QStringView number, const QString &dateSep,
                                          const QString &timeSep)
{
    // The clock is read once per pass: a flood's thousand calls share one moment, and
    // reading the local time costs more than decoding a call.
    if (!m_passNow)
        m_passNow = m_clock->now();
    const QDateTime &now = *m_passNow;
    QDate date;
    if (m_monthDay)
        date = reportDate(m_monthDay->month, m_monthDay->day, now.date());
    if (!date.isValid())
        date = now.date();
    const QTime time = m_hourMinute ? QTime(m_hourMinute->hour, m_hourMinute->minute)
                                    : QTime(now.time().hour(), now.time().minute());
    m_monthDay.reset();
    m_hourMinute.reset();
    return DecodedCall{dates::formatCallDate(date, dateSep), dates::formatCallTime(time, timeSep),
                       number.toString()};
}
