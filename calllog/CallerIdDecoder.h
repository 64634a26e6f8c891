#pragma once

#include "DateServices.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// One call as the program shows and stores it. date: yyyy<dateSep>MM<dateSep>dd,
// time: hh<timeSep>mm, number: the NMBR value exactly as sent.
struct DecodedCall
{
    QString date;
    QString time;
    QString number;

    friend bool operator==(const DecodedCall &, const DecodedCall &) = default;
};

// Turns the modem's caller-ID reports into calls. The serial layer cuts the stream
// anywhere, so what a report has said so far (its DATE and TIME) and whether the head of
// the buffer is the tail of an over-long line are kept here between receive events.
class CallerIdDecoder
{
public:
    // Longer lines are never real caller-ID text; dropping them bounds the buffer.
    static constexpr qsizetype MaxLineLength = 4096;

    explicit CallerIdDecoder(const dates::Clock &clock = dates::systemClock());

    // Consumes every complete line at the front of `buffer` (upper-cased serial text not yet
    // decoded) and returns the calls completed, in order. The incomplete line at the end
    // stays in `buffer`. The caller may only append to `buffer` between calls; if it
    // empties or replaces it, it calls reset().
    QList<DecodedCall> decode(QString &buffer, const QString &dateSep, const QString &timeSep);

    // Forgets the report in progress and any partial line.
    void reset();

private:
    struct HourMinute
    {
        int hour;
        int minute;
    };
    struct MonthDay
    {
        int month;
        int day;
    };

    void takeLine(QStringView line, QList<DecodedCall> &calls, const QString &dateSep,
                  const QString &timeSep);
    DecodedCall completeCall(QStringView number, const QString &dateSep, const QString &timeSep);

    const dates::Clock *m_clock;
    // Only the lines of the report in progress date a call; both are cleared by each call.
    std::optional<MonthDay> m_monthDay;
    std::optional<HourMinute> m_hourMinute;
    // The head of the buffer belongs to a line already longer than MaxLineLength.
    bool m_discarding = false;
    // How much of the incomplete head line is known to hold no line end, so that
    // appending small pieces to a long line never re-scans it from the start.
    qsizetype m_scanned = 0;
};
