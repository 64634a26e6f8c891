#pragma once

#include <QDateTime>
#include <QString>

// A call as the rest of the program passes it on once the decoder has done with it: the
// list line and the stored row keep their own texts, while notices, the network feed and
// the spool need the moment itself, free of the user's separators.
struct Call
{
    QDateTime when; // local date and time of the report, to the minute
    QString number; // exactly as the modem sent it, possibly empty
    QString name;   // the caller's name when the report carried one, else empty
    // Ringvane took the line off hook and hung up on the caller (stored as the action
    // "blocked" where the log has an action column).
    bool blocked = false;

    friend bool operator==(const Call &, const Call &) = default;
};
