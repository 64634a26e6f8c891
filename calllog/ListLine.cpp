#include "calllog/ListLine.h"

#include "locale/DateServices.h"

namespace {

QString stampedNumber(const QString &date, const QString &time, const QString &number)
{
    return QLatin1Char('[') + date + QLatin1Char(' ') + time + QLatin1String("] ") + number;
}

} // namespace

QString listLine(int listNumber, const QString &decimalSep, const QString &date,
                 const QString &time, const QString &number)
{
    return dates::formatListNumber(listNumber, decimalSep) + stampedNumber(date, time, number);
}

QString callTip(const DecodedCall &call)
{
    return stampedNumber(call.date, call.time, call.number);
}
