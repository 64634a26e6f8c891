#include "tests/support/PrivateSessionBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kProbePath = QStringLiteral("/org/ringvane/Probe");
const QString kProbeInterface = QStringLiteral("org.ringvane.NotificationProbe");

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QStringList serviceArguments(const PrivateSessionBus::Service &service)
{
    return {QStringLiteral("--capabilities=") + service.capabilities.join(u','),
            QStringLiteral("--never-answer=") + service.neverAnswer.join(u','),
            QStringLiteral("--exit-with=%1").arg(::getpid())};
}

// Waits for a process asked to end, and kills it when it lingers.
void endProcess(QProcess &process, int ms)
{
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished(ms);
    }
}

} // namespace

PrivateSessionBus::PrivateSessionBus(std::optional<Service> activatable)
{
    m_hadAddress = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS");
    m_savedAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!m_dir.isValid()) {
        m_failure = QStringLiteral("no temporary folder");
        return;
    }
    const QString services = m_dir.filePath(QStringLiteral("services"));
    QDir().mkpath(services);
    if (activatable) {
        const QString exec = QStringLiteral(RINGVANE_TEST_NOTIFICATIONS) + u' ' +
                             serviceArguments(*activatable).join(u' ');
        writeFile(services + QStringLiteral("/org.freedesktop.Notifications.service"),
                  "[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=" + exec.toUtf8() +
                      "\n");
    }
    const QString config = m_dir.filePath(QStringLiteral("session.conf"));
    writeFile(config, QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <servicedir>%2</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                          .arg(m_dir.filePath(QStringLiteral("bus")), services)
                          .toUtf8());

    const QString log = m_dir.filePath(QStringLiteral("dbus-daemon.log"));
    m_daemon.setStandardErrorFile(log);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--nosyslog"), QStringLiteral("--print-address=1")});
    m_daemon.waitForStarted(10000);
    QDeadlineTimer deadline(10000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired() &&
           m_daemon.state() == QProcess::Running)
        m_daemon.waitForReadyRead(200);
    const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (address.isEmpty()) {
        QFile words(log);
        words.open(QIODevice::ReadOnly);
        m_failure = QStringLiteral("dbus-daemon gave no address (%1): %2")
                        .arg(m_daemon.errorString(), QString::fromUtf8(words.readAll()));
        return;
    }
    m_address = address;
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (isRunning()) {
        // Never start the service only to end it.
        QDBusMessage quit = QDBusMessage::createMethodCall(kService, kProbePath, kProbeInterface,
                                                           QStringLiteral("Quit"));
        quit.setAutoStartService(false);
        connect().send(quit);
    }
    if (m_service)
        endProcess(*m_service, 3000);
    for (const QString &name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_daemon.terminate();
    endProcess(m_daemon, 5000);
    if (m_hadAddress)
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_savedAddress);
    else
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

QDBusConnection PrivateSessionBus::connect()
{
    static int count = 0;
    const QString name = QStringLiteral("ringvane-test-bus-%1").arg(++count);
    m_connections << name;
    return QDBusConnection::connectToBus(m_address, name);
}

bool PrivateSessionBus::startNotificationService(const Service &service)
{
    if (!isRunning())
        return false;
    m_service = std::make_unique<QProcess>();
    m_service->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_service->start(QStringLiteral(RINGVANE_TEST_NOTIFICATIONS),
                     QStringList{QStringLiteral("--bus=") + m_address} + serviceArguments(service));
    m_service->waitForStarted(10000);
    QDeadlineTimer deadline(10000);
    while (!m_service->canReadLine() && !deadline.hasExpired() &&
           m_service->state() == QProcess::Running)
        m_service->waitForReadyRead(200);
    if (m_service->readLine().trimmed() == "ready")
        return true;
    m_failure =
        QStringLiteral("the notification service is not ready: ") + m_service->errorString();
    return false;
}

bool PrivateSessionBus::serviceRunning()
{
    QDBusConnection bus = connect();
    return bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

QDBusMessage PrivateSessionBus::probeCall(const QString &method, const QList<QVariant> &arguments)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kProbePath, kProbeInterface, method);
    call.setAutoStartService(false);
    call.setArguments(arguments);
    if (m_connections.isEmpty())
        connect();
    return QDBusConnection(m_connections.first()).call(call, QDBus::Block, 10000);
}

QJsonArray PrivateSessionBus::received()
{
    const QDBusMessage reply = probeCall(QStringLiteral("Received"));
    return QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8()).array();
}

QJsonArray PrivateSessionBus::notices()
{
    QJsonArray notices;
    for (const QJsonValue &call : received()) {
        if (call[QStringLiteral("method")] == QStringLiteral("Notify"))
            notices.append(call);
    }
    return notices;
}

void PrivateSessionBus::invokeAction(uint id, const QString &actionKey)
{
    probeCall(QStringLiteral("InvokeAction"), {QVariant::fromValue(id), actionKey});
}

void PrivateSessionBus::closeNotice(uint id, uint reason)
{
    probeCall(QStringLiteral("Close"), {QVariant::fromValue(id), QVariant::fromValue(reason)});
}
