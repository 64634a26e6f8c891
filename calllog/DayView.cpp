#include "calllog/DayView.h"

#include "calllog/CallLog.h"
#include "calllog/CallerIdDecoder.h"
#include "locale/DateServices.h"
#include "calllog/ListLine.h"
#include "locale/LocaleDates.h"

namespace dayview {

namespace {

// The days a day text can name.
const QDate kFirstDay(100, 1, 1);
const QDate kLastDay(9999, 12, 31);

// Nothing this program stores is longer than a caller-ID line; a shared log might hold
// more, which the list has no use for.
QString storedText(const QVariant &value)
{
    QString text = value.isNull() ? QString() : value.toString();
    text.truncate(CallerIdDecoder::MaxLineLength);
    return text;
}

} // namespace

std::optional<QDate> pagedDay(QStringView dayText, int days)
{
    const std::optional<QDate> day = dates::parseDayText(dayText);
    if (!day)
        return std::nullopt;
    const QDate moved = day->addDays(days);
    if (!moved.isValid() || moved < kFirstDay || moved > kLastDay)
        return std::nullopt;
    return moved;
}

QString storedCallLine(int listNumber, const QString &decimalSep, const QVariant &dateTime,
                       const QVariant &number, const QString &dateSep, const QString &timeSep)
{
    QString date;
    QString time;
    const QDateTime when = CallLog::dateTimeOf(dateTime);
    if (when.isValid()) {
        date = dates::formatCallDate(when.date(), dateSep);
        time = dates::formatCallTime(when.time(), timeSep);
    }
    return listLine(listNumber, decimalSep, date, time, storedText(number));
}

QStringList readDayLines(db::Recordset &recordset, int firstNumber, int capacity,
                         const QString &decimalSep, const QString &dateSep, const QString &timeSep,
                         QStringList *names, QStringList *numbers, QList<bool> *blocked)
{
    const CallLog::RowColumns columns = CallLog::rowColumns(recordset);
    QStringList lines;
    while (lines.size() < capacity && !recordset.Eof()) {
        const QVariant number =
            columns.number >= 0 ? recordset.Fields(short(columns.number)).Value() : QVariant();
        lines.append(storedCallLine(firstNumber + int(lines.size()), decimalSep,
                                    recordset.Fields(short(columns.when)).Value(), number, dateSep,
                                    timeSep));
        if (numbers)
            *numbers << storedText(number);
        if (names)
            *names << (columns.name >= 0 ? storedText(recordset.Fields(short(columns.name)).Value())
                                         : QString());
        if (blocked)
            *blocked << (columns.action >= 0 &&
                         CallLog::isBlockedAction(recordset.Fields(short(columns.action)).Value()));
        recordset.MoveNext();
    }
    return lines;
}

} // namespace dayview
