#pragma once

#include "calllog/Call.h"
#include "failure/Result.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <optional>

class FeedClient;
class QTcpServer;

// Sends every call to caller-ID clients on the network in the NCID protocol (Feature
// Set 1): today's calls when a client connects, then each call as it completes. Nothing
// listens until start() succeeds. Today's calls are read on a worker thread of the feed's
// own, so a slow call log never holds up the window.
class FeedServer : public QObject
{
    Q_OBJECT

public:
    // Today's calls in log order, or nullopt when the log cannot be read. Runs on the
    // feed's worker thread (always the same one), one read at a time.
    using TodaysCalls = std::function<std::optional<QList<Call>>()>;

    static constexpr int MaxClients = 32;
    // What one address (on this computer: one user) may hold, so that idle connections
    // from one place never lock every other client out.
    static constexpr int MaxPerPeer = 8;
    // When the table (or a peer's share of it) is full, a client that has taken nothing of
    // what waits for it this long gives up its place, and else the one that shut its
    // sending side longest ago (it may be gone); a quiet client that reads what it is sent
    // and keeps its connection open never does.
    static constexpr qint64 StalledMs = 30000;

    explicit FeedServer(TodaysCalls todaysCalls, QObject *parent = nullptr);
    ~FeedServer() override;

    // "ADDRESS:PORT", "[IPV6]:PORT" or a port alone (loopback). When the feed cannot listen
    // there the failure says why in one sentence and the feed is off. Starting again moves
    // the feed, dropping its clients.
    Result<void> start(const QString &listenAddress);
    void stop();

    // MaxPerPeer unless set otherwise (tests whose clients are all one user).
    void setMaxPerPeer(int count) { m_maxPerPeer = count; }

    bool isListening() const;
    // Where the feed listens, e.g. "127.0.0.1:3333"; empty while it is off.
    QString listeningOn() const;
    quint16 serverPort() const;
    int clientCount() const { return int(m_clients.size()); }

public slots:
    // A call whose report has closed (so it carries the name when there is one).
    void sendCall(const Call &call);

private:
    void accept(qintptr descriptor);
    bool makeRoom(const QString &peer);
    void readTodaysCalls();
    void todaysCallsRead(qint64 read, const std::optional<QList<Call>> &log);
    void forget(FeedClient *client);

    TodaysCalls m_todaysCalls;
    QTcpServer *m_server = nullptr;
    QList<FeedClient *> m_clients;
    int m_maxPerPeer = MaxPerPeer;

    // Reads are numbered; a client waits for the first read that starts after it connected.
    qint64 m_nextRead = 0;
    bool m_reading = false;
    QThreadPool m_reader;
};
