#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The installed modems as the registry describes them, and what choosing one of them
// yields: its port, its commands and its serial settings, or the report that says why
// it cannot be used. Plain functions over the registry helpers, so the window only
// applies the outcome.
namespace modem {

// Where the modem installer keeps one subkey per modem.
inline const QString ModemClassKey = QStringLiteral("System\\CurrentControlSet\\Services\\Class\\Modem\\");

// How the modem link tells a failure: a tip, then the date, the tip and the detail as
// lines of the receive log, then any further lines.
struct ModemReport
{
    QString message;
    QString detail;
    QStringList extraLines;

    bool operator==(const ModemReport &) const = default;
};

ModemReport badConfigurationReport();
ModemReport callerIdUnsupportedReport();

struct ModemCatalogue
{
    QStringList keys;   // as EnumRegSubKeys lists them: element 0 empty, modems from 1
    QStringList models; // one chooser entry per modem, in the same order
};

ModemCatalogue listModems();

// What a selection read. It runs step by step and stops at the first check that fails,
// so the commands and settings are present only when their steps ran; the port name is
// read in every case.
struct ModemSelection
{
    QString portName;
    std::optional<QString> cidCommand;  // as read, normalised once it passed its check
    std::optional<QString> initCommand;
    QString hangUpCommand;              // "Hangup\1" when it is an AT command, else ATH0
    std::optional<QByteArray> dcb;      // 28 bytes; absent when the value is missing
    std::optional<ModemReport> problem; // set when the modem cannot be used
};

// modemKey is the subkey name below ModemClassKey.
ModemSelection selectModem(const QString &modemKey);

// The modem's port: the first device instance's "PORTNAME" when it names a COM port,
// else "AttachedTo". Empty when neither is found.
QString findPortName(const QString &modemPath);

bool isComPortName(const QString &name);
bool isAtCommand(const QString &command);

// Cuts the command before the first "<cr>" (lower case only) and ends it with CR once.
QString normaliseCommand(QString command);

// The first 28 bytes of a "DCB" value, zero where the value is shorter.
QByteArray dcbFromValue(const QByteArray &value);

} // namespace modem
