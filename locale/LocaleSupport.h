#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

// The user's regional settings as the program reads them: one locale item as text, a
// date in the short date pattern, and the case-blind replace used to widen its year.

// Item numbers as the national-language functions know them (29 date separator, 30 time
// separator, 31 short date pattern, 14 decimal separator). Empty text when unreadable.
QString GetLocaleString(std::int32_t item);

// The date in the user's short date pattern; with fourDigitYear the pattern's year is
// widened to four digits first. Empty text when it cannot be formatted.
QString FormatLocalDate(const QDateTime &date, const bool &fourDigitYear);

// Replaces every occurrence of find (case ignored) and never looks at an inserted
// replacement again. An empty find changes nothing. Failures come as a Failure whose
// source is "CGLocaleInfo Replace".
void ReplaceText(QString &text, const QString &find, const QString &replacement);
