#include "feed/FeedClient.h"

#include "feed/NcidLines.h"
#include "platform/ClientSocket.h"

namespace {

// Start-up lines are handed to the socket in portions of about this size as it drains, so
// a long day's log neither floods memory nor counts as the client falling behind.
constexpr qint64 RefillBelow = 16 * 1024;

// The system's own send buffer would otherwise grow to megabytes for a client that stops
// reading; kept small, "behind" means about what our buffer says.
constexpr int SystemSendBuffer = 64 * 1024;

// Texts as far as a client is sent them: the log is read no further.
bool sameAsSent(const QString &a, const QString &b)
{
    return QStringView(a).left(NcidLines::MaxFieldLength) ==
           QStringView(b).left(NcidLines::MaxFieldLength);
}

// Whether a call of the log is the row a live call made. The log keeps calls to the minute
// and, in a table without a name column, no names: a stored name must be the caller's.
bool sameCall(const Call &stored, const Call &live)
{
    return stored.when.date() == live.when.date() &&
           stored.when.time().hour() == live.when.time().hour() &&
           stored.when.time().minute() == live.when.time().minute() &&
           sameAsSent(stored.number, live.number) &&
           (stored.name.isEmpty() || sameAsSent(stored.name, live.name));
}

} // namespace

FeedClient::FeedClient(ClientSocket *socket, const QString &peer, const QByteArray &greeting,
                       QObject *parent)
    : QObject(parent), m_socket(socket), m_peer(peer)
{
    m_socket->setParent(this);
    m_socket->setSendBufferSize(SystemSendBuffer);
    connect(m_socket, &ClientSocket::bytesWritten, this, &FeedClient::refill);
    connect(m_socket, &ClientSocket::failed, this, &FeedClient::drop);
    m_socket->write(greeting);
}

qint64 FeedClient::stalledMs() const
{
    return m_socket->stalledMs();
}

qint64 FeedClient::inputEndedMs() const
{
    return m_socket->inputEndedMs();
}

void FeedClient::readInputNow()
{
    m_socket->readInputNow();
}

void FeedClient::startWithLog(const std::optional<QList<Call>> &log)
{
    m_awaitedRead = -1;
    if (m_finished)
        return;
    if (log) {
        m_log = *log;
        // A call that came while the log was read may be in it already; it is sent once,
        // as the live call it was.
        for (const Held &held : std::as_const(m_held)) {
            for (qsizetype i = m_log.size() - 1; i >= 0; --i) {
                if (sameCall(m_log.at(i), held.call)) {
                    m_log.remove(i);
                    break;
                }
            }
        }
        m_logEnd = m_log.isEmpty() ? "252 Call log empty\n" : "250 End of call log\n";
    } else {
        m_logEnd = "253 No Call log\n";
    }
    m_logEnd += "300 End of connection startup\n";
    m_hasLog = true;
    refill();
}

void FeedClient::sendCall(const Call &call, const QByteArray &line)
{
    if (m_finished)
        return;
    if (m_live) {
        m_socket->write(line);
    } else {
        m_held.append({call, line});
        m_heldBytes += line.size();
    }
    if (tooFarBehind())
        drop();
}

void FeedClient::close()
{
    m_finished = true;
    m_socket->abort();
}

void FeedClient::refill()
{
    if (m_finished || m_live || !m_hasLog)
        return;
    while (m_nextLogLine < m_log.size()) {
        if (m_socket->bytesToWrite() >= RefillBelow)
            return;
        m_socket->write(NcidLines::callLine(NcidLines::Kind::Log, m_log.at(m_nextLogLine++)));
    }
    m_socket->write(m_logEnd);
    for (const Held &held : std::as_const(m_held))
        m_socket->write(held.line);
    m_log = {};
    m_held = {};
    m_heldBytes = 0;
    m_live = true;
    if (tooFarBehind())
        drop();
}

bool FeedClient::tooFarBehind() const
{
    return m_socket->bytesToWrite() + m_heldBytes > MaxBehind;
}

void FeedClient::drop()
{
    if (m_finished)
        return;
    m_finished = true;
    m_socket->abort();
    emit finished(this);
}
