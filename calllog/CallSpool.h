#pragma once

#include "calllog/SpoolRecord.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class LockedFile;

// Calls that are not yet in the call log, kept on disk so that no crash, power cut or long
// outage of the log loses them. One spool per data source, held by one instance at a time:
// a second instance gets a numbered sibling, and a sibling nobody holds any more (left by a
// crashed instance) is taken over at the next open. Used from one thread at a time.
class CallSpool
{
public:
    // $XDG_STATE_HOME/ringvane, or ~/.local/state/ringvane.
    static QString defaultFolder();
    // A safe file name for the data source: the DSN and a short hash of the configuration
    // file's absolute path and the DSN.
    static QString dataSourceKey(const QString &odbcIniPath, const QString &dsn);
    // Opens (creating as needed) and holds the spool, taking over free siblings; nullptr with
    // the reason when it cannot.
    static std::unique_ptr<CallSpool> open(const QString &folder, const QString &dataSourceKey,
                                           QString *error = nullptr);
    ~CallSpool();
    CallSpool(const CallSpool &) = delete;
    CallSpool &operator=(const CallSpool &) = delete;

    // Calls waiting, earlier runs' first, in the order they arrived.
    QList<SpooledCall> pending() const;
    // One short receive-log line per damaged stretch skipped when the spool was read.
    QStringList damage() const { return m_damage; }
    // Written and on the disk before it returns true. False, with lastError(), when the file
    // cannot be written (nothing is kept then) or an id is already waiting.
    bool append(const QList<SpooledCall> &calls);
    // The calls leave pending() at once; false, with lastError(), when the mark could not be
    // made durable yet: it is written with the next append or markStored (until then a
    // restart would replay those calls again). Unknown ids are ignored.
    bool markStored(const QList<quint64> &ids);
    QString lastError() const { return m_lastError; }
    qsizetype waitingCount() const { return m_waiting.size(); }
    // An id no waiting call has (one more than the highest ever read or appended).
    quint64 nextFreeId() const { return m_highestId + 1; }
    QString path() const;

private:
    explicit CallSpool(std::unique_ptr<LockedFile> file);

    // tidy: the own file holds nothing but the waiting calls' records.
    void takeOverSiblings(const QString &folder, const QString &key, bool tidy);
    static QByteArray encodeWaiting(const QList<spoolrecord::Waiting> &waiting);
    QString fileError(const QString &reason) const;
    void noteDamage(const QString &fileName, const QList<spoolrecord::Damage> &damage);

    std::unique_ptr<LockedFile> m_file;
    QList<spoolrecord::Waiting> m_waiting;
    QSet<quint64> m_waitingIds;
    qint64 m_waitingBytes = 0; // the size of their records
    QList<quint64> m_unwrittenMarks;
    quint64 m_highestId = 0;
    QStringList m_damage;
    QString m_lastError;
};
