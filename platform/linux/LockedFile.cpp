#include "platform/LockedFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another process may unlink or replace the file between our open and our lock; the lock
// then sits on a file nobody will find again, so the open starts over a few times.
constexpr int OpenAttempts = 16;

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Failure systemFailure(int error)
{
    return Failure(0, systemText(error));
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Best effort: at worst a crash undoes the latest change of a name in the folder.
void syncFolderOf(const QByteArray &path)
{
    const QByteArray folder = QFileInfo(QString::fromLocal8Bit(path)).absolutePath().toLocal8Bit();
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

LockedFile::LockedFile(QString path, int fd, qint64 size)
    : m_path(std::move(path)), m_fd(fd), m_size(size)
{}

LockedFile::~LockedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString LockedFile::unsafeBecause(bool folder, quint32 mode, quint32 owner, quint32 user)
{
    if (folder && !S_ISDIR(mode))
        return QCoreApplication::translate("LockedFile", "it is not a folder");
    if (!folder && !S_ISREG(mode))
        return QCoreApplication::translate("LockedFile", "it is not a regular file");
    if (owner != user)
        return QCoreApplication::translate("LockedFile", "it belongs to another user");
    if (mode & (S_IWGRP | S_IWOTH))
        return QCoreApplication::translate("LockedFile", "other users may write to it");
    return {};
}

Result<LockedFile::Opening> LockedFile::open(const QString &path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking: a fifo or device put there must not hang the open.
    const int flags =
        O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (create ? O_CREAT : 0);
    Opening result;
    auto unsafe = [&](const QString &why) {
        result.kind = Opening::Kind::Unsafe;
        result.why = why;
        return std::move(result);
    };
    for (int attempt = 0; attempt < OpenAttempts; ++attempt) {
        const int fd = ::open(name.constData(), flags, 0600);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT && !create)
                return std::move(result);
            if (error == ELOOP)
                return unsafe(QCoreApplication::translate("LockedFile", "it is a symbolic link"));
            if (error == EISDIR || error == ENXIO || error == ENODEV)
                return unsafe(
                    QCoreApplication::translate("LockedFile", "it is not a regular file"));
            if (error == EACCES || error == EPERM)
                return unsafe(QCoreApplication::translate("LockedFile", "it may not be opened (%1)")
                                  .arg(systemText(error)));
            return systemFailure(error);
        }
        struct stat held = {};
        if (::fstat(fd, &held) != 0) {
            const int error = errno;
            ::close(fd);
            return systemFailure(error);
        }
        if (const QString why = unsafeBecause(false, held.st_mode, held.st_uid, ::geteuid());
            !why.isEmpty()) {
            ::close(fd);
            return unsafe(why);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                result.kind = Opening::Kind::Held;
                return std::move(result);
            }
            return systemFailure(error);
        }
        struct stat named = {};
        if (::lstat(name.constData(), &named) != 0 || named.st_dev != held.st_dev ||
            named.st_ino != held.st_ino) {
            ::close(fd);
            continue;
        }
        if ((held.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0) {
            const int error = errno;
            ::close(fd);
            return systemFailure(error);
        }
        // Only the holder writes the replacement, so one found now was left by a crash.
        ::unlink((name + ".new").constData());
        // A file just made must keep its name through a crash like its contents.
        if (create)
            syncFolderOf(name);
        result.file.reset(new LockedFile(path, fd, held.st_size));
        result.kind = Opening::Kind::Opened;
        return std::move(result);
    }
    return Failure(0, QCoreApplication::translate(
                          "LockedFile", "the file kept changing while it was being opened"));
}

Result<void> LockedFile::makeOwnFolder(const QString &path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString built;
    for (const QString &part : parts) {
        built += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(built);
        if (::mkdir(name.constData(), 0700) == 0)
            continue;
        struct stat st = {};
        if (errno == EEXIST && ::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        return systemFailure(errno == EEXIST ? ENOTDIR : errno);
    }

    // The folder itself: a link could lead anywhere, and a folder others may write to lets
    // them put calls in it or swap our files.
    const QByteArray name = QFile::encodeName(absolute);
    QString why;
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st = {};
    if (fd < 0) {
        const int error = errno;
        if ((error != ELOOP && error != ENOTDIR) || ::lstat(name.constData(), &st) != 0 ||
            !S_ISLNK(st.st_mode))
            return systemFailure(error);
        why = QCoreApplication::translate("LockedFile", "it is a symbolic link");
    } else {
        const bool read = ::fstat(fd, &st) == 0;
        const int error = errno;
        ::close(fd);
        if (!read)
            return systemFailure(error);
        why = unsafeBecause(true, st.st_mode, st.st_uid, ::geteuid());
        if (why.isEmpty())
            return {};
    }
    const QString remedy =
        st.st_uid == ::geteuid() && S_ISDIR(st.st_mode)
            ? QCoreApplication::translate("LockedFile", "\"%1\" makes it safe")
                  .arg(QStringLiteral("chmod go-w ") + absolute)
            : QCoreApplication::translate("LockedFile", "remove or rename it, and a folder of "
                                                        "your own will take its place");
    return Failure(0, why + QStringLiteral("; ") + remedy);
}

Result<QByteArray> LockedFile::readAll() const
{
    QByteArray bytes;
    struct stat st = {};
    if (::fstat(m_fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(qsizetype(st.st_size));
    char chunk[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, chunk, sizeof chunk, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemFailure(errno);
        }
        if (n == 0)
            return bytes;
        bytes.append(chunk, n);
        offset += n;
    }
}

Result<void> LockedFile::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    if (writeAll(m_fd, bytes) && ::fdatasync(m_fd) == 0) {
        m_size += bytes.size();
        return {};
    }
    const int saved = errno;
    // A torn tail would be read as damage; cut it off so nothing half-written stays.
    if (::ftruncate(m_fd, m_size) != 0 || ::fdatasync(m_fd) != 0) {
        struct stat st = {};
        if (::fstat(m_fd, &st) == 0)
            m_size = st.st_size;
    }
    return systemFailure(saved);
}

Result<void> LockedFile::replace(QByteArrayView bytes)
{
    if (bytes.isEmpty()) {
        // Needs no free space, so it works on a full disk too.
        if (::ftruncate(m_fd, 0) != 0 || ::fdatasync(m_fd) != 0)
            return systemFailure(errno);
        m_size = 0;
        return {};
    }
    const QByteArray name = QFile::encodeName(m_path);
    const QByteArray temporary = name + ".new";
    const int fd = ::open(temporary.constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return systemFailure(errno);
    // Held before it takes the name, so the hold passes to the new file without a gap.
    const bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fchmod(fd, 0600) == 0 &&
                    writeAll(fd, bytes) && ::fdatasync(fd) == 0 &&
                    ::rename(temporary.constData(), name.constData()) == 0;
    if (!ok) {
        const int saved = errno;
        ::unlink(temporary.constData());
        ::close(fd);
        return systemFailure(saved);
    }
    // The rename is done: the new file is the one in place now, whatever the folder sync
    // says (at worst a crash brings back the old contents, which were equally valid).
    ::close(m_fd);
    m_fd = fd;
    m_size = bytes.size();
    syncFolderOf(name);
    return {};
}

Result<void> LockedFile::remove()
{
    const QByteArray name = QFile::encodeName(m_path);
    if (::unlink(name.constData()) != 0)
        return systemFailure(errno);
    syncFolderOf(name);
    return {};
}
