#pragma once

#include <QDBusConnection>
#include <QJsonArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// A session bus of the test's own: dbus-daemon with a configuration in a temporary
// folder. While it lives DBUS_SESSION_BUS_ADDRESS names it, so nothing a test does
// reaches the user's desktop. The tests' notification service (ringvane-test-notifications)
// runs on it, started by the test or left to the bus to start on the first call.
class PrivateSessionBus
{
public:
    struct Service
    {
        QStringList capabilities;
        QStringList neverAnswer; // "GetCapabilities", "Notify"
    };

    // With activatable, the bus starts that service itself when something calls it.
    explicit PrivateSessionBus(std::optional<Service> activatable = std::nullopt);
    ~PrivateSessionBus();

    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    // Why the bus or the service did not start.
    QString failure() const { return m_failure; }

    // A new connection to this bus, closed when the bus object goes.
    QDBusConnection connect();

    // Starts the notification service on the running bus and waits until it owns its name.
    bool startNotificationService(const Service &service);
    // Whether anything owns org.freedesktop.Notifications now.
    bool serviceRunning();

    // The calls the service got, oldest first: objects with "method" and, for Notify,
    // its arguments by their freedesktop names plus "id", the id it answered.
    QJsonArray received();
    // Only the Notify calls.
    QJsonArray notices();
    // Makes the service raise ActionInvoked or NotificationClosed.
    void invokeAction(uint id, const QString &actionKey);
    void closeNotice(uint id, uint reason = 2);

private:
    QDBusMessage probeCall(const QString &method, const QList<QVariant> &arguments = {});

    QTemporaryDir m_dir;
    QProcess m_daemon;
    std::unique_ptr<QProcess> m_service;
    QString m_address;
    QString m_failure;
    QStringList m_connections;
    QByteArray m_savedAddress;
    bool m_hadAddress = false;
};
