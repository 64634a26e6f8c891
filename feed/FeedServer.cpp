#include "feed/FeedServer.h"

#include "feed/FeedClient.h"
#include "feed/ListenAddress.h"
#include "feed/NcidLines.h"
#include "calllog/OneLine.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Clients take the server's version from the last word of the first line.
const QByteArray Greeting =
    QByteArrayLiteral("200 Server: ringvane (Ringvane) " RINGVANE_FEED_VERSION "\n"
                      "210 API 1.0 Feature Set 1\n");

QString listenError(const QString &where, const QTcpServer &server)
{
    switch (server.serverError()) {
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("Network feed off: %1 is already in use, perhaps by another "
                              "caller-ID server")
            .arg(where);
    case QAbstractSocket::SocketAddressNotAvailableError:
        return QStringLiteral("Network feed off: %1 is not an address of this computer").arg(where);
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("Network feed off: no permission to listen on %1").arg(where);
    default:
        return QStringLiteral("Network feed off: cannot listen on %1 (%2)")
            .arg(where, server.errorString());
    }
}

} // namespace

FeedServer::FeedServer(TodaysCalls todaysCalls, QObject *parent)
    : QObject(parent), m_todaysCalls(std::move(todaysCalls))
{
    // One thread that never expires: a provider may keep a database connection, which
    // belongs to the thread that opened it.
    m_reader.setMaxThreadCount(1);
    m_reader.setExpiryTimeout(-1);
}

FeedServer::~FeedServer()
{
    stop();
    // A read under way posts its result to this object; it must finish while we exist.
    m_reader.clear();
    m_reader.waitForDone();
}

bool FeedServer::start(const QString &listenAddress)
{
    stop();
    m_error.clear();

    const std::optional<ListenAddress> where = ListenAddress::parse(listenAddress);
    if (!where) {
        m_error = QStringLiteral("Network feed off: \"%1\" is not an address and port such as "
                                 "127.0.0.1:3333")
                      .arg(oneLine(listenAddress.left(80)));
        return false;
    }

    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &FeedServer::acceptClients);
    if (!m_server->listen(where->address, where->port)) {
        m_error = listenError(where->toString(), *m_server);
        delete m_server;
        m_server = nullptr;
        return false;
    }
    return true;
}

void FeedServer::stop()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    const QList<FeedClient *> clients = std::exchange(m_clients, {});
    for (FeedClient *client : clients) {
        client->disconnect(this);
        client->close();
        client->deleteLater();
    }
}

bool FeedServer::isListening() const
{
    return m_server && m_server->isListening();
}

QString FeedServer::listeningOn() const
{
    if (!isListening())
        return {};
    return ListenAddress{m_server->serverAddress(), m_server->serverPort()}.toString();
}

quint16 FeedServer::serverPort() const
{
    return isListening() ? m_server->serverPort() : 0;
}

void FeedServer::sendCall(const Call &call)
{
    if (m_clients.isEmpty())
        return;
    const QByteArray line = NcidLines::callLine(NcidLines::Kind::Live, call);
    // A client dropped on the way leaves the list; walk a copy.
    const QList<FeedClient *> clients = m_clients;
    for (FeedClient *client : clients)
        client->sendCall(call, line);
}

void FeedServer::acceptClients()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        if (m_clients.size() >= MaxClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *client = new FeedClient(socket, Greeting, this);
        connect(client, &FeedClient::finished, this, &FeedServer::forget);
        m_clients.append(client);
        client->setAwaitedRead(m_nextRead);
        if (!m_reading)
            readTodaysCalls();
    }
}

void FeedServer::readTodaysCalls()
{
    const qint64 read = m_nextRead++;
    m_reading = true;
    m_reader.start([this, read, todaysCalls = m_todaysCalls] {
        std::optional<QList<Call>> log;
        try {
            if (todaysCalls)
                log = todaysCalls();
        } catch (...) {
            // A log that throws is a log that cannot be read.
            log.reset();
        }
        QMetaObject::invokeMethod(
            this, [this, read, log] { todaysCallsRead(read, log); }, Qt::QueuedConnection);
    });
}

void FeedServer::todaysCallsRead(qint64 read, const std::optional<QList<Call>> &log)
{
    m_reading = false;
    bool anotherRead = false;
    const QList<FeedClient *> clients = m_clients;
    for (FeedClient *client : clients) {
        if (client->awaitedRead() == read)
            client->startWithLog(log);
        else if (client->awaitedRead() == m_nextRead)
            anotherRead = true;
    }
    // Clients that came while this read ran need one that starts after they connected.
    if (anotherRead)
        readTodaysCalls();
}

void FeedServer::forget(FeedClient *client)
{
    m_clients.removeOne(client);
    client->deleteLater();
}
