#pragma once

#include "platform/SerialPortMap.h"

#include <QObject>
#include <QString>

// The serial port as the program's handlers see it: properties that can fail with a
// numbered Failure, and one OnComm notice whose kind is read from CommEvent().
// The real device lives in platform/linux; tests use an in-memory double.
class Comm : public QObject
{
    Q_OBJECT
public:
    enum EventKind : short {
        EventSend = 1,
        EventReceive = 2,
        EventCarrierDetect = 5,
        EventDeviceLost = 1100, // the device went away while open (a USB modem unplugged)
    };

    using QObject::QObject;
    ~Comm() override = default;

    virtual bool PortOpen() const = 0;
    // Opening fails with 8002 (no such port or device) or 8005 (held, not permitted, other).
    virtual void setPortOpen(bool open) = 0;

    virtual QString Settings() const = 0;
    // "baud,parity,data,stop"; a text that cannot be applied fails and keeps the old settings.
    virtual void setSettings(const QString &settings) = 0;

    virtual short CommPort() const = 0;
    virtual void setCommPort(short port) = 0;

    // Queues text for sending; fails with 8012 while the port is closed.
    virtual void setOutput(const QString &text) = 0;
    // Characters not yet handed to the device. Pushes pending output itself, so it falls
    // even while the caller polls it with the event loop blocked.
    virtual int OutBufferCount() = 0;
    // All received text waiting, removed from the component; empty when none waits.
    virtual QString Input() = 0;

    virtual short CommEvent() const = 0;
    virtual bool CDHolding() const = 0;

    // The operating system's own words for the last failure to open ("Permission denied").
    virtual QString lastSystemReason() const = 0;
    virtual bool lastFailureWasPermission() const = 0;

    // The device the current port number stands for ("" when none).
    virtual QString devicePath() const { return serialDevicePath(CommPort()); }

Q_SIGNALS:
    // Raised on the window's thread, never while a member of the component is running.
    void OnComm();
};

// The machine's own serial port, ports numbered as the registry's serial-port map says.
Comm *newSerialPort(QObject *parent = nullptr);
