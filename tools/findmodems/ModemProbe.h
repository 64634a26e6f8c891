#pragma once

#include "modem/DeviceAccess.h"

#include <QList>
#include <QString>
#include <QStringList>

// Asks one serial device whether a caller-ID modem is behind it, the way a modem installer
// would: wake it, reset it, ask who it is and which caller-ID command it takes, then check
// that the commands Ringvane will send, at Ringvane's own pace, are all accepted. Whatever
// the device sends is bounded in size and every wait has a deadline.
struct ProbeTimings
{
    int answerMs = 600;       // for one command's final result
    int resetMs = 2500;       // how long a modem may stay deaf after ATZ
    int retryMs = 250;        // each "AT" sent while it may still be deaf
    QList<qint32> speeds = {9600, 115200};
    int commandGapMs = 50;    // Ringvane's pause between its start-up commands
};

struct ProbeResult
{
    enum class Outcome {
        CallerIdModem,
        NoCallerId,     // a modem, but it takes none of the caller-ID commands
        NotAModem,      // nothing answered like a modem
        StoppedAnswering,
        CommandsLost,   // Ringvane's three commands did not all get OK
        NoPermission,
        Busy,           // held by another program
        CannotOpen,
    };
    Outcome outcome = Outcome::CannotOpen;
    QString reason; // the system's words when it could not be opened
    QString group;  // the group owning the device (NoPermission)
    QString model;
    qint32 baud = 0;
    QString initCommand; // without CR
    QString callerIdCommand;
    QStringList refused; // caller-ID commands answered with an error or not at all
};

inline const QStringList kCallerIdCommands = {QStringLiteral("AT+VCID=1"), QStringLiteral("AT#CID=1"),
                                              QStringLiteral("AT%CCID=1"), QStringLiteral("AT*ID1")};
// No reset among them: Ringvane sends the caller-ID command 100 ms after the init, while a
// modem that has just reset is still ignoring what it receives.
inline const QStringList kInitCommands = {QStringLiteral("ATE1V1Q0"), QStringLiteral("ATV1Q0"),
                                          QStringLiteral("AT")};

ProbeResult probeModem(const QString &device, const ProbeTimings &timings = {});

// What a modem printed, made fit for a registry text and a chooser entry.
QString cleanModelName(const QStringList &lines);
