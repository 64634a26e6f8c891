#include "tests/support/FakeComm.h"

#include "failure/Failure.h"

#include <QTimer>

void FakeComm::failNextOpen(int number, const QString &reason, bool permission)
{
    m_nextOpenFailure = OpenFailure{number, reason, permission};
}

void FakeComm::setPortOpen(bool open)
{
    calls.append(QStringLiteral("PortOpen=%1").arg(open ? 1 : 0));
    if (open && !m_open && m_nextOpenFailure) {
        const OpenFailure failure = *m_nextOpenFailure;
        m_nextOpenFailure.reset();
        m_reason = failure.reason;
        m_permission = failure.permission;
        throw Failure(failure.number, failure.number == ErrorNumber::InvalidPortNumber
                                          ? QStringLiteral("Invalid port number")
                                          : QStringLiteral("Port already open"));
    }
    if (open && !m_open) {
        m_reason.clear();
        m_permission = false;
    }
    if (!open)
        m_pending = 0;
    m_open = open;
}

void FakeComm::setSettings(const QString &settings)
{
    calls.append(QStringLiteral("Settings=") + settings);
    if (refusedSettings.contains(settings))
        throw Failure(ErrorNumber::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    m_settings = settings;
}

void FakeComm::setCommPort(short port)
{
    calls.append(QStringLiteral("CommPort=%1").arg(port));
    if (m_open)
        throw Failure(ErrorNumber::PortOpenNotValid,
                      QStringLiteral("Operation not valid while the port is open"));
    if (port < 1 || refusedPorts.contains(port))
        throw Failure(ErrorNumber::InvalidPortNumber, QStringLiteral("Invalid port number"));
    m_port = port;
}

void FakeComm::setOutput(const QString &text)
{
    calls.append(QStringLiteral("Output=") + text);
    if (!m_open || failOutput)
        throw Failure(ErrorNumber::PortNotOpen,
                      QStringLiteral("Operation valid only when the port is open"));
    m_written += text;
    m_pending += static_cast<int>(text.size());
    outBufferPolls = 0;
}

int FakeComm::OutBufferCount()
{
    ++outBufferPolls;
    if (m_pending > 0 && drainAfterPolls >= 0 && outBufferPolls > drainAfterPolls)
        m_pending = 0;
    return m_pending;
}

QString FakeComm::Input()
{
    QString text;
    text.swap(m_input);
    return text;
}

void FakeComm::receive(const QString &text)
{
    m_input += text;
    raise(EventReceive);
}

void FakeComm::raise(short kind)
{
    QTimer::singleShot(0, this, [this, kind] {
        m_event = kind;
        Q_EMIT OnComm();
    });
}
