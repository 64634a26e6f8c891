#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

// A file of our own that one process at a time holds. The hold ends with the holder, so a
// crashed process leaves nothing held; another process asking for a held file is told so at
// once. The file changes only by durable appends and by being replaced whole in one atomic
// step, so a reader after a crash sees either the old bytes or the new ones, plus at most a
// torn tail of the last append.
class LockedFile
{
public:
    enum class Status { Opened, Held, Missing, Failed };
    struct Opening
    {
        std::unique_ptr<LockedFile> file; // set when Opened
        Status status = Status::Failed;
        QString error; // the system's reason when Failed
    };

    // create: make the file (mode 0600) when it is missing; otherwise Missing. A file found
    // with wider permissions is narrowed to 0600.
    static Opening open(const QString &path, bool create);
    // Makes the folder and any missing parents, each new one with mode 0700.
    static bool makeFolder(const QString &path, QString *error);

    ~LockedFile();
    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;

    QString path() const { return m_path; }
    qint64 size() const { return m_size; }

    bool readAll(QByteArray *bytes, QString *error) const;
    // Written and on the disk (fdatasync) before it returns true. On failure the file is
    // cut back to where it was, as far as the system allows.
    bool append(QByteArrayView bytes, QString *error);
    // The new contents in place of the old in one step, durable; empty contents truncate.
    // On failure the old contents stay.
    bool replace(QByteArrayView bytes, QString *error);
    // Removes the file's name; the file stays held until this object goes.
    bool remove(QString *error);

private:
    LockedFile(QString path, int fd, qint64 size);

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
};
