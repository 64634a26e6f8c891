#include "platform/ClientSocket.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

namespace {

// Nothing a client sends is acted on; it is read this much at a time and thrown away.
constexpr size_t InputChunk = 4096;

qint64 nowMs()
{
    return QDeadlineTimer::current().deadline();
}

QString numericPeer(const sockaddr_storage &address)
{
    char text[INET6_ADDRSTRLEN] = {};
    const void *raw = nullptr;
    if (address.ss_family == AF_INET)
        raw = &reinterpret_cast<const sockaddr_in &>(address).sin_addr;
    else if (address.ss_family == AF_INET6)
        raw = &reinterpret_cast<const sockaddr_in6 &>(address).sin6_addr;
    if (!raw || !::inet_ntop(address.ss_family, raw, text, sizeof text))
        return {};
    QString peer = QString::fromLatin1(text);
    // An IPv4 client of a dual-stack socket is the same client as over IPv4.
    if (peer.startsWith(QLatin1String("::ffff:")) && peer.contains(QLatin1Char('.')))
        peer = peer.mid(7);
    return peer;
}

// The user owning the socket at local address:port on this computer, from the system's
// table of TCP sockets (the same columns for IPv4 and IPv6); -1 when it is not there.
qint64 localSocketOwner(sockaddr_storage address)
{
    if (address.ss_family == AF_INET6) {
        // An IPv4 client of a dual-stack socket is in the IPv4 table.
        const auto in6 = reinterpret_cast<const sockaddr_in6 &>(address);
        if (IN6_IS_ADDR_V4MAPPED(&in6.sin6_addr)) {
            sockaddr_in in{};
            in.sin_family = AF_INET;
            in.sin_port = in6.sin6_port;
            std::memcpy(&in.sin_addr, in6.sin6_addr.s6_addr + 12, 4);
            address = {};
            std::memcpy(&address, &in, sizeof in);
        }
    }
    QByteArray key;
    const char *table = nullptr;
    if (address.ss_family == AF_INET) {
        const auto &in = reinterpret_cast<const sockaddr_in &>(address);
        key = QString::asprintf("%08X:%04X", in.sin_addr.s_addr, ntohs(in.sin_port)).toLatin1();
        table = "/proc/net/tcp";
    } else if (address.ss_family == AF_INET6) {
        const auto &in6 = reinterpret_cast<const sockaddr_in6 &>(address);
        quint32 words[4];
        std::memcpy(words, &in6.sin6_addr, sizeof words);
        key = QString::asprintf("%08X%08X%08X%08X:%04X", words[0], words[1], words[2], words[3],
                                ntohs(in6.sin6_port))
                  .toLatin1();
        table = "/proc/net/tcp6";
    } else {
        return -1;
    }
    QFile file(QString::fromLatin1(table));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // Lines: number, local address, remote address, state, queues, timer, retransmits, uid.
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(512);
        if (!line.contains(key))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 7 && fields.at(1) == key) {
            bool ok = false;
            const qint64 uid = fields.at(7).toLongLong(&ok);
            return ok ? uid : -1;
        }
    }
    return -1;
}

bool isLoopback(const sockaddr_storage &address)
{
    if (address.ss_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in &>(address).sin_addr.s_addr) >> 24) == 127;
    if (address.ss_family != AF_INET6)
        return false;
    const in6_addr &a = reinterpret_cast<const sockaddr_in6 &>(address).sin6_addr;
    if (IN6_IS_ADDR_LOOPBACK(&a))
        return true;
    return IN6_IS_ADDR_V4MAPPED(&a) && a.s6_addr[12] == 127;
}

// Who is at the other end: the user a peer on this computer runs as, when the system says,
// else the peer's numeric address; empty when the socket has no peer.
QString peerIdentityOf(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return {};
    const qint64 owner = isLoopback(address) ? localSocketOwner(address) : -1;
    return owner < 0 ? numericPeer(address) : QStringLiteral("user %1").arg(owner);
}

} // namespace

ClientSocket::ClientSocket(qintptr descriptor, QObject *parent)
    : QObject(parent), m_fd(int(descriptor)), m_lastProgressMs(nowMs())
{
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_peer = peerIdentityOf(m_fd);
    // Probes let the system find a peer that went away without a word (or after shutting
    // its sending side only, which looks alike), even while nothing is sent to it.
    const int on = 1, idle = 30, interval = 10, probes = 3;
    ::setsockopt(m_fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ClientSocket::readInput);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { send(true); });
}

ClientSocket::~ClientSocket()
{
    abort();
}

void ClientSocket::write(const QByteArray &bytes)
{
    if (m_fd < 0 || bytes.isEmpty())
        return;
    if (m_sent == m_out.size())
        m_lastProgressMs = nowMs();
    m_out += bytes;
    if (!m_writeNotifier->isEnabled())
        send(false);
}

void ClientSocket::setSendBufferSize(int bytes)
{
    if (m_fd >= 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

qint64 ClientSocket::inputEndedMs() const
{
    return m_inputEndedAt < 0 ? -1 : nowMs() - m_inputEndedAt;
}

void ClientSocket::readInputNow()
{
    if (m_fd >= 0 && m_inputEndedAt < 0)
        readInput();
}

qint64 ClientSocket::stalledMs() const
{
    return bytesToWrite() > 0 ? nowMs() - m_lastProgressMs : 0;
}

void ClientSocket::abort()
{
    if (m_fd < 0)
        return;
    delete std::exchange(m_readNotifier, nullptr);
    delete std::exchange(m_writeNotifier, nullptr);
    delete std::exchange(m_goneCheck, nullptr);
    ::close(std::exchange(m_fd, -1));
    m_out.clear();
    m_sent = 0;
}

void ClientSocket::readInput()
{
    char chunk[InputChunk];
    // A client that sends without end gets its turn again later, not the whole loop.
    for (int turn = 0; turn < 64; ++turn) {
        const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (got > 0)
            continue;
        if (got == 0) {
            // The peer's sending side is shut; ours stays open until a send fails. With
            // nothing more to read, only a look now and then tells whether the system
            // found the peer gone.
            m_inputEndedAt = nowMs();
            m_readNotifier->setEnabled(false);
            m_goneCheck = new QTimer(this);
            connect(m_goneCheck, &QTimer::timeout, this, [this] {
                int error = 0;
                socklen_t length = sizeof error;
                if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
                    fail();
            });
            m_goneCheck->start(5000);
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            fail();
        return;
    }
}

void ClientSocket::send(bool announce)
{
    bool wentOut = false;
    while (m_fd >= 0 && m_sent < m_out.size()) {
        const ssize_t n = ::send(m_fd, m_out.constData() + m_sent, size_t(m_out.size() - m_sent),
                                 MSG_NOSIGNAL);
        if (n > 0) {
            m_sent += n;
            wentOut = true;
            m_lastProgressMs = nowMs();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            break;
        }
        fail();
        return;
    }
    if (m_fd < 0)
        return;
    if (m_sent == m_out.size()) {
        m_out.clear();
        m_sent = 0;
        m_writeNotifier->setEnabled(false);
    } else if (m_sent > 64 * 1024) {
        // The sent front is let go of now and then, not on every write.
        m_out.remove(0, m_sent);
        m_sent = 0;
    }
    // Said only when the system took more on its own, so a writer is never re-entered.
    if (wentOut && announce)
        Q_EMIT bytesWritten();
}

void ClientSocket::fail()
{
    if (m_fd < 0)
        return;
    abort();
    // Later, as the writer that met the failure may still be on the stack.
    QMetaObject::invokeMethod(this, &ClientSocket::failed, Qt::QueuedConnection);
}
