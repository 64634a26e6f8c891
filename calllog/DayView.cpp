#include "calllog/DayView.h"

#include "calllog/CallerIdDecoder.h"
#include "locale/DateServices.h"
#include "calllog/ListLine.h"
#include "locale/LocaleDates.h"
#include "calllog/TAPI.h"

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
    return listLine(listNumber, decimalSep, date, time, storedText(number));
}

QStringList readDayLines(db::Recordset &recordset, int firstNumber, int capacity,
                         const QString &decimalSep, const QString &dateSep, const QString &timeSep,
                         QStringList *names)
{
    const int nameColumn = names ? TAPI::NameColumn(recordset) : -1;
    QStringList lines;
    while (lines.size() < capacity && !recordset.Eof()) {
        lines.append(storedCallLine(firstNumber + int(lines.size()), decimalSep,
                                    recordset.Fields(0).Value(), recordset.Fields(1).Value(),
                                    dateSep, timeSep));
        if (names)
            *names << (nameColumn >= 0 ? storedText(recordset.Fields(short(nameColumn)).Value())
                                       : QString());
        recordset.MoveNext();
    }
    return lines;
}

QList<Call> readDayCalls(db::Recordset &recordset, int capacity)
{
    const int nameColumn = TAPI::NameColumn(recordset);
    QList<Call> calls;
    while (calls.size() < capacity && !recordset.Eof()) {
        Call call;
        call.when = recordset.Fields(0).Value().toDateTime();
        call.number = storedText(recordset.Fields(1).Value());
        if (nameColumn >= 0)
            call.name = storedText(recordset.Fields(short(nameColumn)).Value());
        calls.append(std::move(call));
        recordset.MoveNext();
    }
    return calls;
}

} // namespace dayview
