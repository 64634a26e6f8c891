#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

// Where the feed listens, as the user writes it: "ADDRESS:PORT", "[IPV6]:PORT", or a port
// alone, which keeps the feed on this computer (127.0.0.1). Port 0 lets the system choose.
struct ListenAddress
{
    QHostAddress address;
    quint16 port = 0;

    static std::optional<ListenAddress> parse(const QString &text);

    // "127.0.0.1:3333", "[::1]:3333"
    QString toString() const;
};
