#include "DayView.h"

#include "CallerIdDecoder.h"
#include "DateServices.h"
#include "ListLine.h"
#include "LocaleDates.h"

namespace dayview {

namespace {

// The days a day text can name.
const QDate kFirstDay(100, 1, 1);
const QDate kLastDay(9999, 12, 31);

} // namespace

QString dayQuery(qint64 dayNumber)
{
    return QStringLiteral("select * from idlist where datetime>=") + QString::number(dayNumber) +
           QStringLiteral(" and datetime<") + QString::number(dayNumber + 1);
}

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
    const QDateTime when = dateTime.toDateTime();
    if (when.isValid()) {
        date = dates::formatCallDate(when.date(), dateSep);
        time = dates::formatCallTime(when.time(), timeSep);
    }
    // Nothing this program stores is longer than a caller-ID line; a shared log might hold
    // more, which the list has no use for.
    QString text = number.isNull() ? QString() : number.toString();
    text.truncate(CallerIdDecoder::MaxLineLength);
    return listLine(listNumber, decimalSep, date, time, text);
}

QStringList readDayLines(db::Recordset &recordset, int firstNumber, int capacity,
                         const QString &decimalSep, const QString &dateSep,
                         const QString &timeSep)
{
    QStringList lines;
    while (lines.size() < capacity && !recordset.Eof()) {
        lines.append(storedCallLine(firstNumber + int(lines.size()), decimalSep,
                                    recordset.Fields(0).Value(), recordset.Fields(1).Value(),
                                    dateSep, timeSep));
        recordset.MoveNext();
    }
    return lines;
}

} // namespace dayview
