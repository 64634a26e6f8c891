#include "feed/ListenAddress.h"

namespace {

std::optional<quint16> parsePort(QStringView text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    uint port = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        port = port * 10 + (c.unicode() - u'0');
    }
    if (port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

std::optional<ListenAddress> ListenAddress::parse(const QString &input)
{
    const QString text = input.trimmed();
    QStringView host;
    QStringView port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return std::nullopt;
        host = QStringView(text).mid(1, close - 1);
        port = QStringView(text).mid(close + 2);
        // Brackets are for IPv6 only.
        if (!host.contains(QLatin1Char(':')))
            return std::nullopt;
    } else {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        if (colon < 0) {
            port = text;
        } else {
            host = QStringView(text).left(colon);
            port = QStringView(text).mid(colon + 1);
            // "::1:3333" cannot be told from an address; IPv6 needs its brackets. IPv4 in
            // full: "1.2.3" would quietly mean 1.2.0.3.
            if (host.contains(QLatin1Char(':')) || host.isEmpty())
                return std::nullopt;
            if (host.count(QLatin1Char('.')) != 3 &&
                host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
                return std::nullopt;
        }
    }

    const std::optional<quint16> number = parsePort(port);
    if (!number)
        return std::nullopt;

    ListenAddress where;
    where.port = *number;
    if (host.isNull() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        where.address = QHostAddress(QHostAddress::LocalHost);
    } else if (!where.address.setAddress(host.toString())) {
        return std::nullopt;
    }
    return where;
}

QString ListenAddress::toString() const
{
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(port);
}
