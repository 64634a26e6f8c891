#pragma once

#include "failure/Result.h"
#include "platform/RegistryFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The entries a modem installer leaves for each modem, kept in the registry file Ringvane
// reads: a modem key below the modem class key and the device's line in the serial-port map.
namespace modemreg {

inline constexpr const char *kModemClassKey =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem";
inline constexpr const char *kSerialCommKey = "HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm";

struct FoundModem
{
    QString stablePath; // the name in the serial-port map
    QString model;
    qint32 baud = 9600;
    QString initCommand; // without CR
    QString callerIdCommand;
};

struct Registration
{
    QString port;      // "COM3"
    QString modemKey;  // "0001"
    QString model;     // as registered (a hand edit may differ from what the modem said)
};

// The modem registered for this device, if any: its serial-port map line names the same
// path or the same device node, and a modem key is attached to that port.
std::optional<Registration> findRegistration(const registry::Hive &hive, const QString &devicePath);

// Adds the modem's entries, taking a port number and a modem key nobody uses. A device
// the map already names keeps its port; nothing already in the hive is changed.
Registration registerModem(registry::Hive &hive, const FoundModem &modem);

// The serial settings record: length 28, the speed, binary mode, 8 data bits, no parity,
// one stop bit.
QByteArray modemDcb(qint32 baud);

struct LoadedHive
{
    registry::Hive hive;
    QString copiedFrom; // the system file it started from, empty when it did not
};

// Reads the file to be updated, or the system-wide file to start it from when it does not
// exist yet. Fails when it cannot be read (or is not a registry file): writing then would
// lose what it holds.
Result<LoadedHive> loadForUpdate(const QString &path, const QString &systemPath);

} // namespace modemreg
