#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <string>

// The three ways ringvane-calls writes a call, as UTF-8 lines appended to a buffer. Numbers and
// names come from the telephone line and may hold anything: no format lets them carry a control
// character to the terminal, break a line or a record, or run as a spreadsheet formula.
namespace calls {

// One stored call. A null text is a NULL in the log; an invalid date-time a value that is
// no date.
struct CallRecord
{
    QDateTime when;
    QString number;
    QString name;
    QString contact; // the user's phonebook's name for the number; empty when none
    bool blocked = false; // the line was hung up on the call
};

// The user's separators, as the call list uses them, in UTF-8.
struct TextStyle
{
    TextStyle(const QString &decimalSep, const QString &dateSep, const QString &timeSep)
        : decimalSep(decimalSep.toStdString()), dateSep(dateSep.toStdString()),
          timeSep(timeSep.toStdString())
    {}
    std::string decimalSep;
    std::string dateSep;
    std::string timeSep;
};

enum class Format { Text, Csv, Json };

// The call list's line (listLine() in ListLine.h, which a test holds it to), then a blank
// and the name where the log has names and the call has one: "001.[2026/12/09 10:15]
// 5550123 Alice", then the phonebook's contact in brackets: "(Mum)", then " [hung up]" for
// a call the line was hung up on. Built straight into
// the output, as the program may write millions.
// Control characters, bidi controls and line separators show as U+FFFD.
void appendTextLine(std::string &out, int listNumber, const CallRecord &call,
                    const TextStyle &style, bool withNames);

// RFC 4180 with CRLF line ends: "datetime,number,name,contact,blocked", then one record a
// call with the local date-time in ISO 8601 (2026-12-09T10:15, seconds only where stored)
// and "yes" for a hung-up call, empty like every absent value otherwise.
void appendCsvHeader(std::string &out);
void appendCsvRecord(std::string &out, const CallRecord &call);
// One cell as written: quoted where RFC 4180 needs it; a text a spreadsheet would take
// for a formula gets a leading apostrophe unless it is only a phone number
// ("+1 555 0123", "-5550123"); terminal controls as U+FFFD, line breaks kept.
void appendCsvCell(std::string &out, QStringView text);

// {"datetime": "2026-12-09T10:15", "number": "5550123", "name": null, "contact": null,
// "blocked": false}: RFC 8259, every
// control, bidi control and line separator escaped, so the text round-trips exactly. A
// NULL, a value that is no date and an unknown or absent name are null.
void appendJsonLine(std::string &out, const CallRecord &call);

// text with every control, bidi control and line separator as U+FFFD.
void appendVisible(std::string &out, QStringView text);
// text as a JSON string in quotes, escaped as appendJsonLine escapes it.
void appendJsonString(std::string &out, const QString &text);

// 2026-12-09T10:15, with :ss where the seconds are not 0; nothing for an invalid one.
void appendIsoDateTime(std::string &out, const QDateTime &when);

} // namespace calls
