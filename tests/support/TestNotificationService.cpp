// ringvane-test-notifications: org.freedesktop.Notifications for the tests, on the bus
// named by --bus, DBUS_STARTER_ADDRESS (started on demand) or DBUS_SESSION_BUS_ADDRESS.
// It records every call it gets; the tests read the record and make it raise its
// signals through the probe object. It can be told to never answer some methods and
// which capabilities to offer, and ends with its bus, with the process in --exit-with,
// or after five minutes, whichever comes first.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTimer>
#include <QVariantMap>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

} // namespace

class Notifications : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    Notifications(QStringList capabilities, QStringList neverAnswer)
        : m_capabilities(std::move(capabilities)), m_neverAnswer(std::move(neverAnswer))
    {}

    QJsonArray received;

public Q_SLOTS:
    QStringList GetCapabilities()
    {
        received.append(QJsonObject{{QStringLiteral("method"), QStringLiteral("GetCapabilities")}});
        holdIfSilent(QStringLiteral("GetCapabilities"));
        return m_capabilities;
    }

    uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expireTimeout)
    {
        const uint id = replacesId != 0 ? replacesId : ++m_lastId;
        // JSON has no byte: the urgency hint is one on the bus.
        QVariantMap readableHints = hints;
        for (QVariant &value : readableHints) {
            if (value.metaType().id() == QMetaType::UChar)
                value = qint64(value.value<uchar>());
        }
        received.append(QJsonObject{
            {QStringLiteral("method"), QStringLiteral("Notify")},
            {QStringLiteral("app_name"), appName},
            {QStringLiteral("replaces_id"), qint64(replacesId)},
            {QStringLiteral("app_icon"), appIcon},
            {QStringLiteral("summary"), summary},
            {QStringLiteral("body"), body},
            {QStringLiteral("actions"), QJsonArray::fromStringList(actions)},
            {QStringLiteral("hints"), QJsonObject::fromVariantMap(readableHints)},
            {QStringLiteral("expire_timeout"), expireTimeout},
            {QStringLiteral("id"), qint64(id)},
        });
        holdIfSilent(QStringLiteral("Notify"));
        return id;
    }

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    void holdIfSilent(const QString &method)
    {
        if (!m_neverAnswer.contains(method))
            return;
        setDelayedReply(true);
        m_held.append(message()); // kept, never answered
    }

    QStringList m_capabilities;
    QStringList m_neverAnswer;
    QList<QDBusMessage> m_held;
    uint m_lastId = 0;
};

class Probe : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.ringvane.NotificationProbe")
public:
    explicit Probe(Notifications &service) : m_service(service) {}

public Q_SLOTS:
    QString Received()
    {
        return QString::fromUtf8(QJsonDocument(m_service.received).toJson(QJsonDocument::Compact));
    }
    void InvokeAction(uint id, const QString &actionKey)
    {
        Q_EMIT m_service.ActionInvoked(id, actionKey);
    }
    void Close(uint id, uint reason) { Q_EMIT m_service.NotificationClosed(id, reason); }
    Q_NOREPLY void Quit() { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }

private:
    Notifications &m_service;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // --name=value, as the tests write them.
    const auto option = [&](const QString &name) {
        const QString prefix = QStringLiteral("--") + name + u'=';
        for (const QString &argument : app.arguments()) {
            if (argument.startsWith(prefix))
                return argument.mid(prefix.size());
        }
        return QString();
    };

    QString address = option(QStringLiteral("bus"));
    if (address.isEmpty())
        address = qEnvironmentVariable("DBUS_STARTER_ADDRESS");
    if (address.isEmpty())
        address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("service"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "cannot connect to %s\n", qPrintable(address));
        return 1;
    }

    const auto list = [&](const char *name) {
        return option(QString::fromLatin1(name)).split(u',', Qt::SkipEmptyParts);
    };
    Notifications service(list("capabilities"), list("never-answer"));
    Probe probe(service);
    bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
    bus.registerObject(QStringLiteral("/org/ringvane/Probe"), &probe,
                       QDBusConnection::ExportAllSlots);
    if (!bus.registerService(kService)) {
        std::fprintf(stderr, "cannot own %s\n", qPrintable(kService));
        return 1;
    }

    const qint64 parent = option(QStringLiteral("exit-with")).toLongLong();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        const bool parentGone = parent > 0 && ::kill(pid_t(parent), 0) != 0 && errno == ESRCH;
        if (parentGone || !bus.isConnected())
            QCoreApplication::quit();
    });
    watch.start(200);
    QTimer::singleShot(300000, &app, &QCoreApplication::quit);

    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "TestNotificationService.moc"
