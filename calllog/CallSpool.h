#pragma once

#include "calllog/SpoolRecord.h"
#include "failure/Result.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class LockedFile;

// Calls that are not yet in the call log, kept on disk so that no crash, power cut or long
// outage of the log loses them. One spool per data source, held by one instance at a time:
// a second instance gets a numbered sibling, and a sibling nobody holds any more (left by a
// crashed instance) is taken over at the next open. A file there that others could have
// written, or that is no file at all, is left alone and the next free name used. Used from
// one thread at a time.
class CallSpool
{
public:
    // $XDG_STATE_HOME/ringvane, or ~/.local/state/ringvane.
    static QString defaultFolder();
    // A safe file name for the data source: the DSN and a short hash of the configuration
    // file's absolute path and the DSN.
    static QString dataSourceKey(const QString &odbcIniPath, const QString &dsn);
    // Opens (creating as needed) and holds the spool, taking over free siblings. Fails in a
    // folder that others may write to, since any call in it could be forged.
    static Result<std::unique_ptr<CallSpool>> open(const QString &folder,
                                                   const QString &dataSourceKey);
    ~CallSpool();
    CallSpool(const CallSpool &) = delete;
    CallSpool &operator=(const CallSpool &) = delete;

    // Calls waiting, earlier runs' first, in the order they arrived.
    QList<SpooledCall> pending() const;
    // One short receive-log line for each thing the opening passed over: a damaged stretch
    // skipped, a file left alone.
    QStringList notes() const { return m_notes; }
    // Written and on the disk before it succeeds. Fails when the file cannot be written
    // (nothing is kept then) or an id is already waiting.
    Result<void> append(const QList<SpooledCall> &calls);
    // The calls leave pending() at once; fails when the mark could not be made durable yet:
    // it is written with the next append or markStored (until then a restart would replay
    // those calls again). Unknown ids are ignored.
    Result<void> markStored(const QList<quint64> &ids);
    qsizetype waitingCount() const { return m_waiting.size(); }
    // An id no waiting call has (one more than the highest ever read or appended).
    quint64 nextFreeId() const { return m_highestId + 1; }
    QString path() const;

private:
    explicit CallSpool(std::unique_ptr<LockedFile> file);

    // tidy: the own file holds nothing but the waiting calls' records.
    void takeOverSiblings(const QString &folder, const QString &key, bool tidy,
                          const QStringList &leftAlone);
    static QByteArray encodeWaiting(const QList<spoolrecord::Waiting> &waiting);
    Failure fileFailure(const Failure &reason) const;
    void noteDamage(const QString &fileName, const QList<spoolrecord::Damage> &damage);

    std::unique_ptr<LockedFile> m_file;
    QList<spoolrecord::Waiting> m_waiting;
    QSet<quint64> m_waitingIds;
    qint64 m_waitingBytes = 0; // the size of their records
    QList<quint64> m_unwrittenMarks;
    quint64 m_highestId = 0;
    QStringList m_notes;
};
