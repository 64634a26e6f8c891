#pragma once

#include "platform/Comm.h"

#include <QByteArray>
#include <QList>
#include <QSerialPort>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <functional>
#include <optional>

class QTimer;

// The serial port over the kernel's tty devices. QSerialPort opens the device, holds the
// lock file and sets the line; this class turns its outcomes into the numbered failures
// the handlers expect and holds every notice back until the event loop runs again, so no
// handler ever runs inside one of these members.
class TtyComm final : public Comm
{
    Q_OBJECT
public:
    using PortResolver = std::function<QString(int)>;

    explicit TtyComm(QObject *parent = nullptr);
    explicit TtyComm(PortResolver resolver, QObject *parent = nullptr);
    ~TtyComm() override;

    bool PortOpen() const override;
    void setPortOpen(bool open) override;

    QString Settings() const override;
    void setSettings(const QString &settings) override;

    short CommPort() const override;
    void setCommPort(short port) override;

    void setOutput(const QString &text) override;
    // Counted in bytes of the locale's charset: one per character for the commands sent.
    int OutBufferCount() override;
    QString Input() override;

    short CommEvent() const override;
    bool CDHolding() const override;

    QString lastSystemReason() const override;
    bool lastFailureWasPermission() const override;

    // The device the current port number stands for, symlinks resolved ("" when none).
    QString devicePath() const override;

    struct LineSettings
    {
        qint32 baud = 9600;
        QSerialPort::Parity parity = QSerialPort::NoParity;
        QSerialPort::DataBits dataBits = QSerialPort::Data8;
        QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    };
    // "baud,parity,data,stop"; nullopt for a text this system cannot apply (1.5 stop bits).
    static std::optional<LineSettings> parseSettings(const QString &text);

private:
    void openPort();
    void closePort();
    [[noreturn]] void failOpen(int number, const QString &reason, bool permission = false);
    bool applyLine(const LineSettings &line);
    void queueNotice(short kind);
    void deliverNotice();
    void onError(QSerialPort::SerialPortError error);
    void pollModemLines();
    void finishLoss();

    PortResolver m_resolver;
    QSerialPort m_port;
    QTimer *m_linePoll = nullptr;

    QString m_settingsText = QStringLiteral("9600,n,8,1");
    LineSettings m_line;
    short m_commPort = 1;

    QStringDecoder m_decoder;
    QStringEncoder m_encoder;
    bool m_utf8 = true;
    QByteArray m_utf8Carry;

    QList<short> m_notices;
    bool m_deliveryQueued = false;
    short m_commEvent = 0;
    bool m_carrier = false;
    bool m_lost = false;
    bool m_closing = false;

    QString m_lastReason;
    bool m_lastWasPermission = false;
};
