#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the window says when start-up leaves it without a modem and without a word: a first
// start from the menu with no modem found, or a modem that would not open. The facts are
// gathered by the window; the words, and the report the launcher kept from
// ringvane-find-modems, are worked out here.
namespace modem {

struct StartFacts
{
    bool modemRegistered = false;
    bool modemOpen = false;
    bool tipEmpty = true;    // start-up left no report of its own in the tip line
    QString refusedDevice;   // a device that is there but may not be opened, if any
    QString refusedGroup;    // the group that owns it
    QString finderReport;    // what ringvane-find-modems printed, empty when it kept none
};

struct StartNotice
{
    QString tip;
    QStringList logLines; // after the date and the tip, as a report of the modem link gives them
};

// The tip when no modem is there, in the user's language.
QString noModemFound();

std::optional<StartNotice> startNotice(const StartFacts &facts);

// Where the launcher keeps ringvane-find-modems' report: $XDG_STATE_HOME/ringvane/find-modems.txt.
QString finderReportPath();

// The report as plain text: at most ReportReadLimit bytes, control characters shown as
// ^X, nothing when the file is missing, not a plain file of this user's, or writable by
// others (who could put words in the program's mouth).
inline constexpr qint64 ReportReadLimit = 64 * 1024;
QString readFinderReport(const QString &path);

// The first device the report says its user may not open, empty when none. The report
// may be in English or in the language the program speaks.
QString refusedDeviceIn(const QString &report);

} // namespace modem
