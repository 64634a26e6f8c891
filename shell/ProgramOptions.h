#pragma once

#include "callers/CallScreen.h"
#include "platform/XdgFolders.h"

#include <QString>
#include <QStringList>

// What the user chose for this run: the command line goes before the program's own
// settings file, which goes before these defaults. An option is one member here and one
// line in the table of ProgramOptions.cpp.
struct ProgramOptions
{
    bool notifications = true; // --no-notifications; [notifications] enabled=
    QString feed;              // --feed ADDRESS:PORT; [feed] listen=; empty: no feed
    QString region;            // --region CC; [numbers] region=; empty: the locale's country
    // [blocking] mode=, withheld=, invalid=, hold=, notify= (--blocking-mode MODE, ...)
    QString blockingMode;
    QString blockingWithheld;
    QString blockingInvalid;
    QString blockingHold;
    bool blockingNotify = true;
    // What those say, once read: a value that is not understood leaves its default.
    ScreenRules blocking;
};

struct ParsedProgramOptions
{
    enum class Outcome { Run, Help, Version, Error };
    Outcome outcome = Outcome::Run;
    ProgramOptions options;
    QString message;      // the help, the version, or what is wrong with the command line
    QStringList warnings; // settings that were ignored; the program runs on
};

// arguments as QCoreApplication::arguments() gives them, the program's name first.
ParsedProgramOptions parseProgramOptions(const QStringList &arguments,
                                         const QString &settingsPath = settingsFilePath());

// Whether the command line asks for the help or the version and nothing else to be done:
// then the program needs no display. Qt's own options are not known here.
bool asksOnlyToPrint(const QStringList &arguments);

// For main(): prints the help or the version and ends the process with status 0, or what
// is wrong with the command line and ends it with 2; prints warnings to the standard
// error; otherwise returns the options.
ProgramOptions programOptionsOrExit(const QStringList &arguments);
