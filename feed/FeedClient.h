#pragma once

#include "calllog/Call.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <optional>

class ClientSocket;

// One connected caller-ID client. Its start-up lines wait for today's calls, which are read
// elsewhere; calls that happen meanwhile are held back and follow the start-up, so the
// client sees every call once and in order. Everything it is sent goes through a bounded
// buffer: a client that stops reading is dropped, never waited for.
class FeedClient : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 MaxBehind = 256 * 1024;

    // peer: who is at the other end (ClientSocket::peerIdentity()), asked once.
    FeedClient(ClientSocket *socket, const QString &peer, const QByteArray &greeting,
               QObject *parent);

    QString peerIdentity() const { return m_peer; }
    // How long the client has taken none of what waits for it (0 while nothing waits).
    qint64 stalledMs() const;
    // How long ago the client shut its sending side (or went away: the same until sending
    // fails); -1 while it is open.
    qint64 inputEndedMs() const;
    void readInputNow();

    // The read of today's calls this client waits for, or -1 once it has its log.
    qint64 awaitedRead() const { return m_awaitedRead; }
    void setAwaitedRead(qint64 read) { m_awaitedRead = read; }

    // Today's calls, or nullopt when the log cannot be read.
    void startWithLog(const std::optional<QList<Call>> &log);
    // A live call and its ready-made line.
    void sendCall(const Call &call, const QByteArray &line);
    // Ends the connection without a finished() signal: the server is letting go of it.
    void close();

signals:
    // The connection is gone or dropped; the server forgets the client.
    void finished(FeedClient *client);

private:
    struct Held
    {
        Call call;
        QByteArray line;
    };

    void refill();
    bool tooFarBehind() const;
    void drop();

    ClientSocket *m_socket;
    QString m_peer;
    qint64 m_awaitedRead = -1;
    bool m_hasLog = false;
    bool m_live = false;
    bool m_finished = false;

    // Start-up in progress: the log's remaining lines and the calls held behind them.
    QList<Call> m_log;
    qsizetype m_nextLogLine = 0;
    QByteArray m_logEnd;
    QList<Held> m_held;
    qint64 m_heldBytes = 0;
};
