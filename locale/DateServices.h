#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The one place where dates are counted, converted and written. Date-times here are
// naive wall-clock values (only date() and time() matter), so daylight-saving gaps
// never move a call. The user's locale enters only through the separators passed in
// and through the locale-aware functions in LocaleSupport.
namespace dates {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The computer's clock, local wall time.
const Clock &systemClock();

// A naive date-time from its parts (no time zone conversions ever apply).
QDateTime makeDateTime(const QDate &date, const QTime &time = QTime(0, 0));

// Day numbers: days since 1899-12-30, the time of day as the fraction. Linear, so a
// time on a day before the epoch still lies between that day's number and the next.
double toDayNumber(const QDateTime &dateTime);
qint64 toDayNumber(const QDate &date);
// Rounds to the nearest second; invalid for values outside the years 100..9999.
QDateTime fromDayNumber(double dayNumber);

// The stamp the decoder writes: year of 4 digits, month and day of 2, hour and minute of 2,
// with any separators (blank or empty ones too). Anything else gives nullopt.
std::optional<QDateTime> parseCallStamp(QStringView text);

// "yyyy/mm/dd hh:mm" with the slash and colon standing for the given separators.
QString formatCallStamp(const QDateTime &dateTime, const QString &dateSep, const QString &timeSep);
QString formatCallDate(const QDate &date, const QString &dateSep);
QString formatCallTime(const QTime &time, const QString &timeSep);

// "000." with the point standing for the given decimal separator.
QString formatListNumber(int number, const QString &decimalSep);

} // namespace dates
