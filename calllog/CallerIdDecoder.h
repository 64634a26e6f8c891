#pragma once

#include "locale/DateServices.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <chrono>
#include <optional>
#include <utility>

// One call as the program shows and stores it. date: yyyy<dateSep>MM<dateSep>dd,
// time: hh<timeSep>mm, number: the value of the report's number line exactly as sent.
struct DecodedCall
{
    QString date;
    QString time;
    QString number;

    friend bool operator==(const DecodedCall &, const DecodedCall &) = default;
};

// A call whose report has closed, with the caller's name when the report carried one.
struct CompletedCall
{
    DecodedCall call;
    QString name;

    friend bool operator==(const CompletedCall &, const CompletedCall &) = default;
};

// Turns the modem's caller-ID reports into calls. The serial layer cuts the stream
// anywhere, so what a report has said so far (its DATE and TIME) and whether the head of
// the buffer is the tail of an over-long line are kept here between receive events.
//
// Some modems give the number as DDN_NMBR (or DDN) instead of NMBR, and some send both, in
// either order; most send the caller's NAME line after the number line, some before it.
// So a report stays open after its first number line: a second number line of another
// kind and a NAME line belong to the same call. An NMBR line shows its call at once; a DDN
// line first holds the call back, in case an NMBR follows. The report closes at the next
// DATE, TIME or number line, a RING line, a blank line, or when the caller says
// ReportHold has passed; only then is the call complete, with its name.
class CallerIdDecoder
{
public:
    // Longer lines are never real caller-ID text; dropping them bounds the buffer.
    static constexpr qsizetype MaxLineLength = 4096;
    // A modem sends a report's lines in one burst; this is far longer than any gap in it.
    static constexpr std::chrono::milliseconds ReportHold{300};

    explicit CallerIdDecoder(const dates::Clock &clock = dates::systemClock());

    // Consumes every complete line at the front of `buffer` (upper-cased serial text not yet
    // decoded) and returns the calls to show, in order; takeCompleted() gives those whose
    // reports closed. The incomplete line at the end stays in `buffer`. The caller may only
    // append to `buffer` between calls; if it empties or replaces it, it calls reset().
    QList<DecodedCall> decode(QString &buffer, const QString &dateSep, const QString &timeSep);

    // The open report, numbered from 1 as reports open, or 0 when none is. The caller
    // calls closeReport() once ReportHold has passed since a new number appeared here.
    quint64 openReport() const { return m_report ? m_report->id : 0; }
    // Ends the open report. Returns its call when it was still held back (a DDN line and
    // no NMBR line).
    QList<DecodedCall> closeReport();
    // The calls whose reports closed since the last take, in order; the caller takes them
    // after each decode() and closeReport(). Every call shown is completed once, after it
    // was shown and in the order shown.
    QList<CompletedCall> takeCompleted() { return std::exchange(m_completed, {}); }

    // Forgets the report in progress (a call it held back included) and any partial line.
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

    // The report whose number line has come, until it closes.
    struct OpenReport
    {
        quint64 id;
        unsigned numberTags; // which number lines it had, one bit per tag
        bool held;           // its call is not shown yet (DDN lines only so far)
        DecodedCall call;
        std::optional<QString> name;
    };
    // What the last character consumed was: a blank line is a line end after a line end,
    // except the LF of a CR LF pair.
    enum class Consumed { Text, Cr, Lf };

    void takeLine(QStringView line, QList<DecodedCall> &calls, const QString &dateSep,
                  const QString &timeSep);
    void takeNumber(unsigned tagBit, bool isNmbr, QStringView number, QList<DecodedCall> &calls,
                    const QString &dateSep, const QString &timeSep);
    void takeName(QStringView name);
    // Closes the open report, if any, into m_completed.
    void closeOpenReport(QList<DecodedCall> &calls);
    // The same, and a name that came for a report to follow goes too.
    void endReport(QList<DecodedCall> &calls);
    DecodedCall completeCall(QStringView number, const QString &dateSep, const QString &timeSep);

    const dates::Clock *m_clock;
    std::optional<QDateTime> m_passNow;
    // Only the lines of the report in progress date a call; both are cleared by each call.
    std::optional<MonthDay> m_monthDay;
    std::optional<HourMinute> m_hourMinute;
    std::optional<OpenReport> m_report;
    // A NAME line that came before its report's number line.
    std::optional<QString> m_nextName;
    QList<CompletedCall> m_completed;
    quint64 m_reportsOpened = 0;
    Consumed m_consumed = Consumed::Text;
    // The head of the buffer belongs to a line already longer than MaxLineLength.
    bool m_discarding = false;
    // How much of the incomplete head line is known to hold no line end, so that
    // appending small pieces to a long line never re-scans it from the start.
    qsizetype m_scanned = 0;
};
