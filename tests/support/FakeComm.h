#pragma once

#include "platform/Comm.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// An in-memory serial port for tests of the handlers: it records what they set and
// write, lets the test play the line (received text, event kinds delivered from the
// event loop) and fails on cue.
class FakeComm final : public Comm
{
    Q_OBJECT
public:
    using Comm::Comm;

    // Every property write and output, in order: "Settings=...", "CommPort=3",
    // "PortOpen=1", "Output=ats0=0\r".
    QStringList calls;

    // The next open fails with this number (8002 or 8005) and reason, once.
    void failNextOpen(int number, const QString &reason = {}, bool permission = false);
    // Settings texts and port numbers refused (380 and 8002), keeping the old value.
    QStringList refusedSettings;
    QList<short> refusedPorts;
    // Output fails with 8012 from now on (or again accepts).
    bool failOutput = false;
    // OutBufferCount reaches 0 after this many reads following an Output; -1: never.
    int drainAfterPolls = 0;
    int outBufferPolls = 0;
    bool carrier = false;

    // Text the line delivers: waits for Input and raises a receive event.
    void receive(const QString &text);
    // Raises an event of this kind from the event loop.
    void raise(short kind);

    bool PortOpen() const override { return m_open; }
    void setPortOpen(bool open) override;
    QString Settings() const override { return m_settings; }
    void setSettings(const QString &settings) override;
    short CommPort() const override { return m_port; }
    void setCommPort(short port) override;
    void setOutput(const QString &text) override;
    int OutBufferCount() override;
    QString Input() override;
    short CommEvent() const override { return m_event; }
    bool CDHolding() const override { return carrier; }
    QString lastSystemReason() const override { return m_reason; }
    bool lastFailureWasPermission() const override { return m_permission; }

    // Everything written while open, joined.
    QString written() const { return m_written; }

private:
    struct OpenFailure
    {
        int number;
        QString reason;
        bool permission;
    };
    std::optional<OpenFailure> m_nextOpenFailure;
    bool m_open = false;
    QString m_settings = QStringLiteral("9600,n,8,1");
    short m_port = 1;
    QString m_input;
    QString m_written;
    int m_pending = 0;
    short m_event = 0;
    QString m_reason;
    bool m_permission = false;
};
