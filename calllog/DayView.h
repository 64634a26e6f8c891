#pragma once

#include "calllog/Call.h"
#include "platform/Database.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <optional>

// The day history view without its window: the day query, the list line of a stored call
// and the paging steps, so each can be checked against a data source or a table of cases.
namespace dayview {

// The most lines the call list holds; the rest of a day's calls are not read.
inline constexpr int ListCapacity = 32767;

// The day of dayText moved by days, or nullopt when the text is no day or the step would
// leave the days a day text can name (the years 100 to 9999).
std::optional<QDate> pagedDay(QStringView dayText, int days);

// "001.[2002/10/13 14:25] 5550123" from the row's datetime and number values; the point,
// slash and colon stand for the separators given. A null number ends the line in "] ".
QString storedCallLine(int listNumber, const QString &decimalSep, const QVariant &dateTime,
                       const QVariant &number, const QString &dateSep, const QString &timeSep);

// The lines of the rows from the open recordset's current row on, numbered from
// firstNumber, at most capacity of them; reading stops there. names, when given, gets the
// caller's name of each line (empty where the row or the table has none), numbers the
// number as stored, and blocked whether the line was hung up on the call (false where the
// table keeps no action). Failures of the data layer pass through.
QStringList readDayLines(db::Recordset &recordset, int firstNumber, int capacity,
                         const QString &decimalSep, const QString &dateSep, const QString &timeSep,
                         QStringList *names = nullptr, QStringList *numbers = nullptr,
                         QList<bool> *blocked = nullptr);

} // namespace dayview
