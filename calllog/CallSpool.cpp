#include "CallSpool.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString CallSpool::defaultFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
                             ? xdg
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/ringvane");
}

QString CallSpool::dataSourceKey(const QString &odbcIniPath, const QString &dsn)
{
    const QByteArray hash = QCryptographicHash::hash(
        (QFileInfo(odbcIniPath).absoluteFilePath() + QLatin1Char('\n') + dsn).toUtf8(),
        QCryptographicHash::Sha256);
    return dsn + QLatin1Char('-') + QString::fromLatin1(hash.toHex().left(12));
}

std::unique_ptr<CallSpool> CallSpool::open(const QString &folder, const QString &key,
                                           QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return std::unique_ptr<CallSpool>();
    };
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot make ") + folder);
    const QString path = folder + QLatin1Char('/') + key + QStringLiteral(".spool");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC,
                          0600);
    if (fd < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return fail(QStringLiteral("held by another instance"));
    }
    std::unique_ptr<CallSpool> spool(new CallSpool);
    spool->m_fd = fd;
    QFile file(path);
    QList<SpooledCall> calls;
    QSet<quint64> done;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.value(0) == "CALL" && f.size() == 5) {
                SpooledCall c;
                c.id = f[1].toULongLong();
                c.call.when = QDateTime::fromString(QString::fromLatin1(f[2]), Qt::ISODate);
                c.call.number = QString::fromUtf8(QByteArray::fromHex(f[3]));
                c.call.name = QString::fromUtf8(QByteArray::fromHex(f[4]));
                calls << c;
                spool->m_highestId = qMax(spool->m_highestId, c.id);
            } else if (f.value(0) == "DONE" && f.size() == 2) {
                done.insert(f[1].toULongLong());
            } else if (!line.isEmpty()) {
                spool->m_damage << QStringLiteral("A damaged record of the spool was skipped");
            }
        }
    }
    for (const SpooledCall &c : calls) {
        if (!done.contains(c.id))
            spool->m_pending << c;
    }
    spool->m_waiting = spool->m_pending.size();
    return spool;
}

CallSpool::~CallSpool()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CallSpool::write(const QByteArray &bytes)
{
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            m_lastError = QString::fromLocal8Bit(std::strerror(errno));
            [[maybe_unused]] const int cut = ::ftruncate(m_fd, end);
            return false;
        }
        done += n;
    }
    if (::fdatasync(m_fd) != 0) {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

bool CallSpool::append(const QList<SpooledCall> &calls)
{
    QByteArray bytes;
    for (const SpooledCall &c : calls) {
        bytes += "CALL " + QByteArray::number(c.id) + ' ' +
                 c.call.when.toString(QStringLiteral("yyyy-MM-ddTHH:mm")).toLatin1() + ' ' +
                 c.call.number.toUtf8().toHex() + ' ' + c.call.name.toUtf8().toHex() + '\n';
        m_highestId = qMax(m_highestId, c.id);
    }
    if (!write(bytes))
        return false;
    m_waiting += calls.size();
    return true;
}

bool CallSpool::markStored(const QList<quint64> &ids)
{
    QByteArray bytes;
    for (quint64 id : ids)
        bytes += "DONE " + QByteArray::number(id) + '\n';
    if (!write(bytes))
        return false;
    m_waiting = qMax<qsizetype>(0, m_waiting - ids.size());
    return true;
}
