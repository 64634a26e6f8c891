#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

// A connected stream socket taken over from a listening server, for clients that are only
// sent to. Unlike QTcpSocket it keeps sending after the peer has shut down its own sending
// side: a client with no input (socat ... </dev/null) does so at once and still expects
// every line. The connection ends only when sending to it fails.
class ClientSocket : public QObject
{
    Q_OBJECT

public:
    ClientSocket(qintptr descriptor, QObject *parent = nullptr);
    ~ClientSocket() override;

    // Queued, then sent as fast as the peer takes it.
    void write(const QByteArray &bytes);
    qint64 bytesToWrite() const { return m_out.size() - m_sent; }
    // The system's send buffer, so that "behind" means about what bytesToWrite() says.
    void setSendBufferSize(int bytes);
    // Who is at the other end, as far as this computer can tell: for a peer on this
    // computer the user it runs as ("user 1000"), when the system says; else its numeric
    // address ("192.0.2.7", "::1"). Empty when unknown.
    QString peerIdentity() const { return m_peer; }
    // Milliseconds since the peer shut its sending side (sending goes on); -1 while it is
    // open. A peer that closed altogether looks the same until sending to it fails, which
    // the system notices within a couple of minutes even when nothing is sent.
    qint64 inputEndedMs() const;
    // Reads what the peer sent so far now, rather than when the event loop gets to it, so
    // that inputEndedMs() is up to date.
    void readInputNow();
    // Milliseconds since the peer last took any of what was queued (or since the queue was
    // last empty): how long a client has been neither reading nor writable.
    qint64 stalledMs() const;
    // Closes at once; what is queued is dropped.
    void abort();

Q_SIGNALS:
    // Some queued bytes went to the peer.
    void bytesWritten();
    // The connection is gone: sending failed or the peer reset it.
    void failed();

private:
    void readInput();
    void send(bool announce);
    void fail();

    int m_fd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_out;
    qsizetype m_sent = 0;
    qint64 m_lastProgressMs = 0;
    QString m_peer;
    qint64 m_inputEndedAt = -1;
    QTimer *m_goneCheck = nullptr;
};
