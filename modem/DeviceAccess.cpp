#include "modem/DeviceAccess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <grp.h>
#include <sys/stat.h>

namespace modem {

QString deviceGroup(const QString &device)
{
    struct stat st{};
    if (device.isEmpty() || ::stat(QFile::encodeName(device).constData(), &st) != 0)
        return {};
    group g{};
    group *found = nullptr;
    char buffer[4096];
    if (::getgrgid_r(st.st_gid, &g, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(st.st_gid);
}

bool isJoinableGroup(const QString &group)
{
    static const QStringList reserved = {QStringLiteral("root"), QStringLiteral("0"),
                                         QStringLiteral("disk"), QStringLiteral("shadow"),
                                         QStringLiteral("sudo"), QStringLiteral("adm"),
                                         QStringLiteral("wheel")};
    // A group known only by its number has no name adduser could take.
    bool numeric = false;
    group.toUInt(&numeric);
    return !group.isEmpty() && !numeric && !reserved.contains(group);
}

QString groupAdvice(const QString &device, const QString &group)
{
    // The commands go in as they are: a translator must not change a word of them.
    if (isJoinableGroup(group))
        return QCoreApplication::translate("DeviceAccess",
                                           "Only members of the group \"%1\" may: add yourself "
                                           "with \"%2\", then log out and in again.")
            .arg(group, QStringLiteral("sudo adduser $USER ") + group);
    const QString canonical = QFileInfo(device).canonicalFilePath();
    const QString kernelName = QFileInfo(canonical.isEmpty() ? device : canonical).fileName();
    const QString rule = QStringLiteral("echo 'KERNEL==\"%1\", GROUP=\"dialout\", MODE=\"0660\"' | "
                                        "sudo tee /etc/udev/rules.d/70-ringvane-modem.rules && "
                                        "sudo udevadm trigger")
                             .arg(kernelName);
    return QCoreApplication::translate("DeviceAccess",
                                       "It is reserved for the administrator. To give it to the "
                                       "group \"dialout\", run: %1; then add yourself with \"%2\" "
                                       "and log out and in again.")
        .arg(rule, QStringLiteral("sudo adduser $USER dialout"));
}

} // namespace modem
