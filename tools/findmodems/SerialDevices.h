#pragma once

#include <QList>
#include <QString>

// Where the finder looks at the system; tests point these at trees of their own.
struct SystemPaths
{
    QString dev = QStringLiteral("/dev");
    QString sys = QStringLiteral("/sys");
    QString byId = QStringLiteral("/dev/serial/by-id");
    QString proc = QStringLiteral("/proc");
    QString udevData = QStringLiteral("/run/udev/data");
};

struct SerialDevice
{
    QString path;       // as listed or given
    QString stablePath; // its /dev/serial/by-id name when there is one, else path
    QString kernelName; // ttyACM0
    QString usbVendor;  // four hex digits; empty when the device is not on USB
    QString usbProduct;
};

// The ports a modem may sit on: every ttyACM and ttyUSB, and the ttyS ports that have a
// UART behind them (the kernel lists thirty-two of them whether or not one is there).
QList<SerialDevice> listSerialDevices(const SystemPaths &paths = {});

// The same facts for a device named on the command line.
SerialDevice describeDevice(const QString &path, const SystemPaths &paths = {});
