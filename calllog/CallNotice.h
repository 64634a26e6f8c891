#pragma once

#include "calllog/Call.h"
#include "callers/CallerShown.h"

#include <QString>

// The texts of a call's desktop notice, plain text (the notification layer escapes them
// where the service reads markup).
struct CallNoticeText
{
    QString summary; // the number, or in words where the line sent a marker
    QString body;    // the name when known, the date and time, and the size of a flood
    friend bool operator==(const CallNoticeText &, const CallNoticeText &) = default;
};

// Texts for the call; callsInFlood above 1 says the notice stands for that many calls of
// which this is the latest. The date is the user's short date with a four-digit year, the
// time hours and minutes with the user's separator, both read from the locale now. A
// contact is the summary, with the number under it; the line's own name follows when it
// says something else.
CallNoticeText callNoticeText(const Call &call, qint64 callsInFlood = 1,
                              const CallerShown &shown = {});

// "Private number" or "Number unavailable" for the markers caller-ID services send in
// place of a number or a name; empty for anything else.
QString markerInWords(const QString &field);
