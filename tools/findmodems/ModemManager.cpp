#include "tools/findmodems/ModemManager.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/sysmacros.h>

bool modemManagerRunning(const SystemPaths &paths)
{
    const QStringList entries = QDir(paths.proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile comm(paths.proc + u'/' + entry + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.read(64).trimmed() == "ModemManager")
            return true;
    }
    return false;
}

bool ignoredByModemManager(const QString &device, const SystemPaths &paths)
{
    struct stat st{};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    QFile data(QStringLiteral("%1/c%2:%3").arg(paths.udevData).arg(major(st.st_rdev)).arg(minor(st.st_rdev)));
    if (!data.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = data.read(64 * 1024).split('\n');
    return lines.contains("E:ID_MM_DEVICE_IGNORE=1");
}

QString modemManagerRule(const SerialDevice &device)
{
    static const QString ignore = QStringLiteral("ENV{ID_MM_DEVICE_IGNORE}=\"1\"");
    if (!device.usbVendor.isEmpty() && !device.usbProduct.isEmpty()) {
        return QStringLiteral("ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", %3")
            .arg(device.usbVendor, device.usbProduct, ignore);
    }
    return QStringLiteral("KERNEL==\"%1\", %2").arg(device.kernelName, ignore);
}
