#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// The date services that depend on the user's locale (LC_TIME for dates and times,
// LC_NUMERIC for numbers), read from the environment on each call.
namespace dates {

// A day typed or shown in the day entry: the short date pattern's field order with a
// year of 1, 2 (00-29 is 20xx, 30-99 is 19xx), 3 or 4 digits, or a year-first form such
// as 2002-10-13 or 2002/10/13. A time of day after the date is ignored. Days outside
// the years 100 to 9999, and anything else, give nullopt.
std::optional<QDate> parseDayText(QStringView text);

// The general date format of the modem reports: the short date with a four-digit year,
// a blank, and the long time with seconds in the locale's form.
QString formatGeneralDate(const QDateTime &dateTime);

// The user's decimal separator, the point of "000.".
QString decimalSeparator();

} // namespace dates
