#pragma once

#include "modem/ModemCatalogue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What the monitoring switch hands the serial port, worked out from the chosen modem's
// values, and the reports it gives when the port will not open or goes away.
namespace modem {

// "baud,parity,data,stop" from a 28-byte DCB; the stop bits as code / 2 + 1, written
// with the user's decimal separator ("1,5" under a German locale). A parity code with
// no letter fails with 9 (subscript out of range).
QString serialSettingsText(const QByteArray &dcb, const QStringList &parityLetters);

// The number at the start of what follows "COM" ("COM10" 10, "com3" 3, "COM" 0), blanks
// ignored, rounded half to even. A number beyond 16 bits fails with 6 (overflow).
short portNumber(const QString &portName);

// The report for the switch's error status: 8002 and 8005 have one, any other none.
// A refusal for want of permission gets a further line with the system's reason and the
// group to join, since "another application" would send the user looking in vain.
std::optional<ModemReport> openFailureReport(int errorStatus, bool permissionDenied,
                                             const QString &systemReason,
                                             const QString &devicePath);

// The further line of a permission refusal: the system's reason, then the group to join
// when a user may sensibly join the one owning the device, else how to give it to dialout.
QString permissionAdvice(const QString &systemReason, const QString &devicePath);

// The modem vanished while monitoring (a USB modem unplugged).
ModemReport deviceLostReport();

} // namespace modem
