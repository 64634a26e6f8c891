#pragma once

#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

class QDBusMessage;

// org.freedesktop.Notifications on a D-Bus connection, every call asynchronous and given
// up after 5 seconds. The service is asked for its capabilities first; notices handed over
// meanwhile wait for the answer, so a service the bus starts on demand still gets them.
// Handles stand for the service's ids, which are only known once its answer arrives: a
// replacement for a notice still on its way is sent when the id is known.
class FreedesktopNotifications final : public DesktopNotifications
{
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 5000;
    // Notices remembered for replacing and for their actions; older ones are forgotten.
    static constexpr int kRememberedNotices = 256;

    explicit FreedesktopNotifications(const QDBusConnection &bus, QObject *parent = nullptr);
    ~FreedesktopNotifications() override;

    int show(const DesktopNotice &notice, int handle = 0) override;

    // The service's capabilities once it has answered (empty before).
    QStringList capabilities() const { return m_capabilities; }

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &actionKey, const QDBusMessage &message);
    void onNotificationClosed(uint id, uint reason, const QDBusMessage &message);

private:
    struct Entry
    {
        uint id = 0;           // the service's id; 0 until it has answered
        bool inFlight = false; // a Notify for this handle awaits its answer
        std::optional<DesktopNotice> waiting;
    };
    enum class State { Probing, Ready, Gone };

    void send(int handle, Entry &entry, const DesktopNotice &notice);
    void sendWaiting();
    void forget(int handle);
    void giveUp(const QString &reason);
    bool fromService(const QDBusMessage &message) const;

    QDBusConnection m_bus;
    State m_state = State::Probing;
    QStringList m_capabilities;
    QString m_serviceOwner; // the unique bus name that answered last
    int m_lastHandle = 0;
    QHash<int, Entry> m_entries;
    QList<int> m_order; // handles, oldest first
    QHash<uint, int> m_handleOfId;
};
