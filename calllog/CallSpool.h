#pragma once

#include "Call.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct SpooledCall
{
    quint64 id = 0;
    Call call;
};

// Calls not yet in the call log, kept in a file so that a restart replays them. A simple
// keeper: one record per line, appended and synced; the stored marks follow as lines too.
class CallSpool
{
public:
    static QString defaultFolder();
    static QString dataSourceKey(const QString &odbcIniPath, const QString &dsn);
    static std::unique_ptr<CallSpool> open(const QString &folder, const QString &dataSourceKey,
                                           QString *error = nullptr);
    ~CallSpool();

    QList<SpooledCall> pending() const { return m_pending; }
    QStringList damage() const { return m_damage; }
    bool append(const QList<SpooledCall> &calls);
    bool markStored(const QList<quint64> &ids);
    QString lastError() const { return m_lastError; }
    qsizetype waitingCount() const { return m_waiting; }
    quint64 nextFreeId() const { return m_highestId + 1; }

private:
    CallSpool() = default;
    bool write(const QByteArray &bytes);

    int m_fd = -1;
    QList<SpooledCall> m_pending;
    QStringList m_damage;
    QString m_lastError;
    qsizetype m_waiting = 0;
    quint64 m_highestId = 0;
};
