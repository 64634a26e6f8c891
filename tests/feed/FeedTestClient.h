#pragma once

#include "tests/support/TestHelpers.h"

#include <QByteArrayList>
#include <QHostAddress>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A feed client of the tests' own: connects, keeps reading, and splits what arrives into
// lines the way the protocol ends them (LF).
class FeedTestClient
{
public:
    FeedTestClient(const QHostAddress &address, quint16 port)
    {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, &m_socket,
                         [this] { m_received += m_socket.readAll(); });
        m_socket.connectToHost(address, port);
    }

    QTcpSocket &socket() { return m_socket; }
    const QByteArray &received() const { return m_received; }

    // Complete lines so far, without their LF.
    QByteArrayList lines() const
    {
        QByteArrayList all = m_received.split('\n');
        all.removeLast(); // what follows the last LF is not a line yet
        return all;
    }

    bool waitForLines(qsizetype count, int timeoutMs = 20000)
    {
        return waitFor([&] { return m_received.count('\n') >= count; }, timeoutMs);
    }

    bool waitForClosed(int timeoutMs = 20000)
    {
        return waitFor([&] { return m_socket.state() == QAbstractSocket::UnconnectedState; },
                       timeoutMs);
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

// A client that connects and never reads a byte; its receive buffer is kept small so that
// what the server sends piles up on the server's side.
class SilentClient
{
public:
    explicit SilentClient(quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int small = 4096;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~SilentClient() { ::close(m_fd); }
    SilentClient(const SilentClient &) = delete;
    SilentClient &operator=(const SilentClient &) = delete;

    bool connected() const { return m_connected; }

private:
    int m_fd = -1;
    bool m_connected = false;
};
