#include "platform/linux/FreedesktopNotifications.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QVariantMap>

#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage methodCall(const QString &method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

// D-Bus strings cannot carry a NUL character.
QString busText(QString text)
{
    return text.remove(QChar(u'\0'));
}

QString reasonFor(const QDBusError &error, qint64 elapsedMs)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
        return QCoreApplication::translate("FreedesktopNotifications",
                                           "no notification service on the session bus");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        if (elapsedMs >= FreedesktopNotifications::kCallTimeoutMs - 500) {
            const int seconds = FreedesktopNotifications::kCallTimeoutMs / 1000;
            return QCoreApplication::translate(
                "FreedesktopNotifications",
                "the notification service did not answer within %n seconds", nullptr, seconds);
        }
        return QCoreApplication::translate("FreedesktopNotifications",
                                           "the notification service did not answer");
    case QDBusError::Disconnected:
        return QCoreApplication::translate("FreedesktopNotifications", "the session bus went away");
    default:
        return error.message().isEmpty() ? error.name() : error.message();
    }
}

} // namespace

std::unique_ptr<DesktopNotifications> makeDesktopNotifications()
{
    return std::make_unique<FreedesktopNotifications>(QDBusConnection::sessionBus());
}

FreedesktopNotifications::FreedesktopNotifications(const QDBusConnection &bus, QObject *parent)
    : DesktopNotifications(parent), m_bus(bus)
{
    if (!m_bus.isConnected()) {
        const QString detail = m_bus.lastError().message();
        giveUp(detail.isEmpty() ? tr("no session bus") : tr("no session bus (%1)").arg(detail));
        return;
    }
    // Any sender: naming the service here would make QtDBus look up its owner, a call
    // that waits. Signals are matched to the service's answers instead (fromService).
    m_bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString, QDBusMessage)));
    m_bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onNotificationClosed(uint, uint, QDBusMessage)));

    QElapsedTimer started;
    started.start();
    auto *watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(methodCall(QStringLiteral("GetCapabilities")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, started](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                if (m_state != State::Probing)
                    return;
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ErrorMessage) {
                    const QDBusError error(reply);
                    // A service without the method still shows plain notices.
                    if (error.type() != QDBusError::UnknownMethod) {
                        giveUp(reasonFor(error, started.elapsed()));
                        return;
                    }
                } else {
                    m_capabilities = reply.arguments().value(0).toStringList();
                    m_serviceOwner = reply.service();
                }
                m_state = State::Ready;
                sendWaiting();
            });
}

FreedesktopNotifications::~FreedesktopNotifications()
{
    if (m_bus.isConnected()) {
        m_bus.disconnect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                         SLOT(onActionInvoked(uint, QString, QDBusMessage)));
        m_bus.disconnect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                         SLOT(onNotificationClosed(uint, uint, QDBusMessage)));
    }
}

int FreedesktopNotifications::show(const DesktopNotice &notice, int handle)
{
    if (handle == 0)
        handle = ++m_lastHandle;
    if (m_state == State::Gone)
        return handle;

    if (!m_entries.contains(handle)) {
        while (m_order.size() >= kRememberedNotices)
            forget(m_order.first());
        m_entries.insert(handle, Entry{});
        m_order.append(handle);
    }
    Entry &entry = m_entries[handle];
    if (m_state == State::Probing || entry.inFlight) {
        // Only the latest text matters once it can be sent.
        entry.waiting = notice;
        return handle;
    }
    send(handle, entry, notice);
    return handle;
}

void FreedesktopNotifications::send(int handle, Entry &entry, const DesktopNotice &notice)
{
    QStringList actions;
    if (!notice.defaultActionLabel.isEmpty() && m_capabilities.contains(QStringLiteral("actions")))
        actions << QStringLiteral("default") << busText(notice.defaultActionLabel);
    QVariantMap hints;
    if (!notice.desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), notice.desktopEntry);
    // The service expects a byte: 0 low, 1 normal.
    if (notice.lowUrgency)
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(0)));
    QString body = busText(notice.body);
    if (m_capabilities.contains(QStringLiteral("body-markup")))
        body = body.toHtmlEscaped();

    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    call << busText(notice.appName) << entry.id << busText(notice.icon) << busText(notice.summary)
         << body << actions << hints << qint32(-1);
    entry.inFlight = true;

    QElapsedTimer started;
    started.start();
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, handle, started](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                if (m_state == State::Gone)
                    return;
                const QDBusMessage reply = w->reply();
                if (reply.type() == QDBusMessage::ErrorMessage) {
                    giveUp(reasonFor(QDBusError(reply), started.elapsed()));
                    return;
                }
                m_serviceOwner = reply.service();
                const auto it = m_entries.find(handle);
                if (it == m_entries.end())
                    return; // forgotten while on its way
                const uint id = reply.arguments().value(0).toUInt();
                if (it->id != 0 && it->id != id)
                    m_handleOfId.remove(it->id);
                it->id = id;
                it->inFlight = false;
                m_handleOfId.insert(id, handle);
                if (it->waiting) {
                    const DesktopNotice next = *std::exchange(it->waiting, std::nullopt);
                    send(handle, *it, next);
                }
            });
}

void FreedesktopNotifications::sendWaiting()
{
    for (const int handle : std::as_const(m_order)) {
        Entry &entry = m_entries[handle];
        if (entry.waiting && !entry.inFlight) {
            const DesktopNotice notice = *std::exchange(entry.waiting, std::nullopt);
            send(handle, entry, notice);
        }
    }
}

void FreedesktopNotifications::forget(int handle)
{
    const auto it = m_entries.constFind(handle);
    if (it != m_entries.constEnd()) {
        if (it->id != 0 && m_handleOfId.value(it->id) == handle)
            m_handleOfId.remove(it->id);
        m_entries.erase(it);
    }
    m_order.removeOne(handle);
}

void FreedesktopNotifications::giveUp(const QString &reason)
{
    if (m_state == State::Gone)
        return;
    m_state = State::Gone;
    m_entries.clear();
    m_order.clear();
    m_handleOfId.clear();
    const QString text = tr("Desktop notifications are not available: %1").arg(reason);
    QMetaObject::invokeMethod(
        this, [this, text] { Q_EMIT unavailable(text); }, Qt::QueuedConnection);
}

bool FreedesktopNotifications::fromService(const QDBusMessage &message) const
{
    return m_state != State::Gone && message.service() == m_serviceOwner;
}

void FreedesktopNotifications::onActionInvoked(uint id, const QString &actionKey,
                                               const QDBusMessage &message)
{
    if (!fromService(message) || actionKey != QLatin1String("default"))
        return;
    if (const int handle = m_handleOfId.value(id))
        Q_EMIT activated(handle);
}

void FreedesktopNotifications::onNotificationClosed(uint id, uint, const QDBusMessage &message)
{
    if (!fromService(message))
        return;
    const int handle = m_handleOfId.take(id);
    const auto it = m_entries.constFind(handle);
    if (it == m_entries.constEnd())
        return;
    // A replacement on its way shows the notice again under a new id.
    if (it->inFlight || it->waiting)
        return;
    forget(handle);
    Q_EMIT closed(handle);
}
