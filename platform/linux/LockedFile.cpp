#include "platform/LockedFile.h"

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

bool setError(QString *error, int errorNumber)
{
    if (error)
        *error = systemText(errorNumber);
    return false;
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

LockedFile::Opening LockedFile::open(const QString &path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    const int flags = O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    Opening result;
    for (int attempt = 0; attempt < OpenAttempts; ++attempt) {
        const int fd = ::open(name.constData(), flags, 0600);
        if (fd < 0) {
            if (errno == ENOENT && !create)
                result.status = Status::Missing;
            else
                result.error = systemText(errno);
            return result;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int saved = errno;
            ::close(fd);
            if (saved == EWOULDBLOCK) {
                result.status = Status::Held;
                return result;
            }
            result.error = systemText(saved);
            return result;
        }
        struct stat held = {}, named = {};
        if (::fstat(fd, &held) != 0) {
            result.error = systemText(errno);
            ::close(fd);
            return result;
        }
        if (::stat(name.constData(), &named) != 0 || named.st_dev != held.st_dev ||
            named.st_ino != held.st_ino) {
            ::close(fd);
            continue;
        }
        if (!S_ISREG(held.st_mode)) {
            ::close(fd);
            result.error = QStringLiteral("not a regular file");
            return result;
        }
        if ((held.st_mode & 07777) != 0600)
            ::fchmod(fd, 0600);
        // Only the holder writes the replacement, so one found now was left by a crash.
        ::unlink((name + ".new").constData());
        // A file just made must keep its name through a crash like its contents.
        if (create)
            syncFolderOf(name);
        result.file.reset(new LockedFile(path, fd, held.st_size));
        result.status = Status::Opened;
        return result;
    }
    result.error = QStringLiteral("the file kept changing while it was being opened");
    return result;
}

bool LockedFile::makeFolder(const QString &path, QString *error)
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
        return setError(error, errno == EEXIST ? ENOTDIR : errno);
    }
    return true;
}

bool LockedFile::readAll(QByteArray *bytes, QString *error) const
{
    bytes->clear();
    struct stat st = {};
    if (::fstat(m_fd, &st) == 0 && st.st_size > 0)
        bytes->reserve(qsizetype(st.st_size));
    char chunk[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, chunk, sizeof chunk, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return setError(error, errno);
        }
        if (n == 0)
            return true;
        bytes->append(chunk, n);
        offset += n;
    }
}

bool LockedFile::append(QByteArrayView bytes, QString *error)
{
    if (bytes.isEmpty())
        return true;
    if (writeAll(m_fd, bytes) && ::fdatasync(m_fd) == 0) {
        m_size += bytes.size();
        return true;
    }
    const int saved = errno;
    // A torn tail would be read as damage; cut it off so nothing half-written stays.
    if (::ftruncate(m_fd, m_size) != 0 || ::fdatasync(m_fd) != 0) {
        struct stat st = {};
        if (::fstat(m_fd, &st) == 0)
            m_size = st.st_size;
    }
    return setError(error, saved);
}

bool LockedFile::replace(QByteArrayView bytes, QString *error)
{
    if (bytes.isEmpty()) {
        // Needs no free space, so it works on a full disk too.
        if (::ftruncate(m_fd, 0) != 0 || ::fdatasync(m_fd) != 0)
            return setError(error, errno);
        m_size = 0;
        return true;
    }
    const QByteArray name = QFile::encodeName(m_path);
    const QByteArray temporary = name + ".new";
    const int fd = ::open(temporary.constData(),
                          O_RDWR | O_APPEND | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return setError(error, errno);
    // Held before it takes the name, so the hold passes to the new file without a gap.
    const bool ok = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fchmod(fd, 0600) == 0 &&
                    writeAll(fd, bytes) && ::fdatasync(fd) == 0 &&
                    ::rename(temporary.constData(), name.constData()) == 0;
    if (!ok) {
        const int saved = errno;
        ::unlink(temporary.constData());
        ::close(fd);
        return setError(error, saved);
    }
    // The rename is done: the new file is the one in place now, whatever the folder sync
    // says (at worst a crash brings back the old contents, which were equally valid).
    ::close(m_fd);
    m_fd = fd;
    m_size = bytes.size();
    syncFolderOf(name);
    return true;
}

bool LockedFile::remove(QString *error)
{
    const QByteArray name = QFile::encodeName(m_path);
    if (::unlink(name.constData()) != 0)
        return setError(error, errno);
    syncFolderOf(name);
    return true;
}
