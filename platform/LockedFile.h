#pragma once

#include "failure/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

// A file of our own that one process at a time holds. The hold ends with the holder, so a
// crashed process leaves nothing held; another process asking for a held file is told so at
// once. The file changes only by durable appends and by being replaced whole in one atomic
// step, so a reader after a crash sees either the old bytes or the new ones, plus at most a
// torn tail of the last append. Only a regular file the user owns and no one else may write
// is taken: what others can write, they could forge.
class LockedFile
{
public:
    struct Opening
    {
        enum class Kind {
            Opened,
            Held,    // another process holds it
            Missing, // and not to be made
            Unsafe,  // something there that must not be used: see why
        };
        Kind kind = Kind::Missing;
        std::unique_ptr<LockedFile> file; // when Opened
        QString why;                      // when Unsafe, in words the user can act on
    };

    // create: make the file (mode 0600) when it is missing. A file of the user's found
    // readable by others is narrowed to 0600.
    static Result<Opening> open(const QString &path, bool create);
    // Makes the folder and any missing parents, each new one with mode 0700; fails when the
    // folder itself is a symbolic link, another user's, or writable by others.
    static Result<void> makeOwnFolder(const QString &path);
    // Why a file (folder false) or folder with these status fields (st_mode, st_uid) may not
    // hold the user's data; empty when it may.
    static QString unsafeBecause(bool folder, quint32 mode, quint32 owner, quint32 user);

    ~LockedFile();
    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;

    QString path() const { return m_path; }
    qint64 size() const { return m_size; }

    Result<QByteArray> readAll() const;
    // Written and on the disk (fdatasync) before it succeeds. On failure the file is cut
    // back to where it was, as far as the system allows.
    Result<void> append(QByteArrayView bytes);
    // The new contents in place of the old in one step, durable; empty contents truncate.
    // On failure the old contents stay.
    Result<void> replace(QByteArrayView bytes);
    // Removes the file's name; the file stays held until this object goes.
    Result<void> remove();

private:
    LockedFile(QString path, int fd, qint64 size);

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
};
