#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A database server that never answers: a port on loopback that listens and never accepts,
// so the system completes the connections and nobody speaks on them.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::listen(m_fd, 64) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;

    quint16 port() const { return m_port; }

    // The PostgreSQL ODBC driver, where Debian installs it.
    static QString psqlDriver()
    {
        for (const char *dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                                "/usr/lib/odbc", "/usr/lib64", "/usr/lib"}) {
            const QString path = QString::fromLatin1(dir) + QStringLiteral("/psqlodbcw.so");
            if (QFile::exists(path))
                return path;
        }
        return QStringLiteral("psqlodbcw.so");
    }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};
