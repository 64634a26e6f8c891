#include "feed/FeedServer.h"

#include "feed/FeedClient.h"
#include "feed/ListenAddress.h"
#include "feed/NcidLines.h"
#include "calllog/OneLine.h"
#include "platform/ClientSocket.h"

#include <QCoreApplication>
#include <QTcpServer>

#include <algorithm>
#include <functional>

namespace {

// Hands each connection over as it is accepted, before Qt makes a QTcpSocket of it: the
// feed's sockets go on sending after a client shuts its own sending side.
class Listener : public QTcpServer
{
public:
    explicit Listener(std::function<void(qintptr)> take, QObject *parent)
        : QTcpServer(parent), m_take(std::move(take))
    {
    }

protected:
    void incomingConnection(qintptr descriptor) override { m_take(descriptor); }

private:
    std::function<void(qintptr)> m_take;
};

// Clients take the server's version from the last word of the first line.
const QByteArray Greeting =
    QByteArrayLiteral("200 Server: ringvane (Ringvane) " RINGVANE_FEED_VERSION "\n"
                      "210 API 1.0 Feature Set 1\n");

QString listenError(const QString &where, const QTcpServer &server)
{
    switch (server.serverError()) {
    case QAbstractSocket::AddressInUseError:
        return QCoreApplication::translate("FeedServer",
                                           "Network feed off: %1 is already in use, perhaps by "
                                           "another caller-ID server")
            .arg(where);
    case QAbstractSocket::SocketAddressNotAvailableError:
        return QCoreApplication::translate(
                   "FeedServer", "Network feed off: %1 is not an address of this computer")
            .arg(where);
    case QAbstractSocket::SocketAccessError:
        return QCoreApplication::translate("FeedServer",
                                           "Network feed off: no permission to listen on %1")
            .arg(where);
    default:
        return QCoreApplication::translate("FeedServer",
                                           "Network feed off: cannot listen on %1 (%2)")
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

Result<void> FeedServer::start(const QString &listenAddress)
{
    stop();
    const std::optional<ListenAddress> where = ListenAddress::parse(listenAddress);
    if (!where) {
        return Failure(0, tr("Network feed off: \"%1\" is not an address and port such as "
                             "127.0.0.1:3333")
                              .arg(oneLine(listenAddress.left(80))));
    }

    m_server = new Listener([this](qintptr descriptor) { accept(descriptor); }, this);
    if (!m_server->listen(where->address, where->port)) {
        const QString why = listenError(where->toString(), *m_server);
        delete std::exchange(m_server, nullptr);
        return Failure(0, why);
    }
    return {};
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

void FeedServer::accept(qintptr descriptor)
{
    auto *socket = new ClientSocket(descriptor);
    const QString peer = socket->peerIdentity();
    const auto fromPeer = std::count_if(m_clients.cbegin(), m_clients.cend(),
                                        [&](const FeedClient *c) { return c->peerIdentity() == peer; });
    const bool peerFull = fromPeer >= m_maxPerPeer;
    if ((peerFull || m_clients.size() >= MaxClients) && !makeRoom(peerFull ? peer : QString())) {
        delete socket;
        return;
    }
    auto *client = new FeedClient(socket, peer, Greeting, this);
    connect(client, &FeedClient::finished, this, &FeedServer::forget);
    m_clients.append(client);
    client->setAwaitedRead(m_nextRead);
    if (!m_reading)
        readTodaysCalls();
}

bool FeedServer::makeRoom(const QString &peer)
{
    FeedClient *stalled = nullptr;
    FeedClient *ended = nullptr;
    for (FeedClient *client : std::as_const(m_clients)) {
        if (!peer.isEmpty() && client->peerIdentity() != peer)
            continue;
        client->readInputNow();
        if (client->stalledMs() >= StalledMs &&
            (!stalled || client->stalledMs() > stalled->stalledMs()))
            stalled = client;
        if (client->inputEndedMs() >= 0 &&
            (!ended || client->inputEndedMs() > ended->inputEndedMs()))
            ended = client;
    }
    FeedClient *leaving = stalled ? stalled : ended;
    if (!leaving)
        return false;
    m_clients.removeOne(leaving);
    leaving->disconnect(this);
    leaving->close();
    leaving->deleteLater();
    return true;
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
