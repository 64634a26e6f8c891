#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A full disk without root on the host nor a mount left behind: the test runs again in a
// mount namespace of its own (unshare, as root or in a user namespace) and mounts a small
// tmpfs there.
namespace smalldisk {

// True inside the namespace: go on. Outside, runs the test (gtest filter) there and returns
// false, with this test failed if that run failed, or skipped if it could not run at all.
inline bool inOwnMountNamespace(const char *test, int timeoutMs)
{
    if (qEnvironmentVariableIsSet("RINGVANE_PRIVATE_MOUNTS"))
        return true;
    QStringList reasons;
    for (const QString &way : {QStringLiteral("-m"), QStringLiteral("-Urm")}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RINGVANE_PRIVATE_MOUNTS"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("unshare"), {way, QCoreApplication::applicationFilePath(),
                                                QStringLiteral("--gtest_filter=%1").arg(test)});
        child.waitForFinished(timeoutMs);
        const QString out = QString::fromLocal8Bit(child.readAll());
        if (out.contains(QLatin1String("[  PASSED  ] 1 test")))
            return false;
        // A run that started and neither passed nor skipped failed (or crashed).
        if (out.contains(QLatin1String("[ RUN")) && !out.contains(QLatin1String("[  SKIPPED ]"))) {
            ADD_FAILURE() << "the run on a small disk failed:\n" << qPrintable(out);
            return false;
        }
        reasons << QStringLiteral("unshare %1: %2").arg(way, out.trimmed().right(200));
    }
    [&] { GTEST_SKIP() << qPrintable(reasons.join(QLatin1String("; "))); }();
    return false;
}

// A tmpfs of the given size on the folder while it lives; the test is skipped if none can be.
class Tmpfs
{
public:
    Tmpfs(const QString &folder, const char *size) : m_path(QFile::encodeName(folder))
    {
        EXPECT_TRUE(QDir().mkpath(folder));
        m_mounted = ::mount("tmpfs", m_path.constData(), "tmpfs", 0,
                            (QByteArray("size=") + size).constData()) == 0;
        const int error = errno;
        if (!m_mounted)
            [&] { GTEST_SKIP() << "mount: " << std::strerror(error); }();
    }
    ~Tmpfs()
    {
        if (m_mounted)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_path;
    bool m_mounted = false;
};

// Appends pages to the file until the disk is full.
inline void fill(const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const QByteArray page(4096, 'x');
    while (::write(fd, page.constData(), page.size()) > 0) {
    }
    ::close(fd);
}

} // namespace smalldisk
