#include "tools/findmodems/SerialDevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QString readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.read(256)).trimmed();
}

// Asks the driver itself; used only where sysfs does not tell the port type.
bool uartPresentByIoctl(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    serial_struct info{};
    const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return present;
}

bool hasUart(const QString &name, const SystemPaths &paths)
{
    const QString classDir = paths.sys + QStringLiteral("/class/tty/") + name;
    if (!QFileInfo::exists(classDir + QStringLiteral("/device/driver")))
        return false;
    const QString type = readSmallFile(classDir + QStringLiteral("/type"));
    if (!type.isEmpty()) {
        bool ok = false;
        const int code = type.toInt(&ok);
        return ok && code != PORT_UNKNOWN;
    }
    return uartPresentByIoctl(paths.dev + u'/' + name);
}

void addUsbIds(SerialDevice &device, const SystemPaths &paths)
{
    if (device.kernelName.isEmpty())
        return;
    QString dir = QFileInfo(paths.sys + QStringLiteral("/class/tty/") + device.kernelName
                            + QStringLiteral("/device"))
                      .canonicalFilePath();
    // The USB device sits a level or two above its interface and tty.
    for (int level = 0; level < 6 && !dir.isEmpty() && dir != QStringLiteral("/"); ++level) {
        const QString vendor = readSmallFile(dir + QStringLiteral("/idVendor"));
        if (!vendor.isEmpty()) {
            device.usbVendor = vendor.left(4);
            device.usbProduct = readSmallFile(dir + QStringLiteral("/idProduct")).left(4);
            return;
        }
        dir = QFileInfo(dir).absolutePath();
    }
}

QString stableName(const QString &device, const SystemPaths &paths)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return device;
    const QDir byId(paths.byId);
    const QStringList links = byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot,
                                             QDir::Name);
    for (const QString &link : links) {
        const QString path = byId.filePath(link);
        if (QFileInfo(path).canonicalFilePath() == target)
            return path;
    }
    return device;
}

} // namespace

SerialDevice describeDevice(const QString &path, const SystemPaths &paths)
{
    SerialDevice device;
    device.path = path;
    device.stablePath = stableName(path, paths);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    device.kernelName = QFileInfo(canonical.isEmpty() ? path : canonical).fileName();
    addUsbIds(device, paths);
    return device;
}

QList<SerialDevice> listSerialDevices(const SystemPaths &paths)
{
    static const QRegularExpression pattern(QStringLiteral("^tty(ACM|USB|S)(\\d{1,4})$"));
    struct Entry
    {
        int kind;
        int number;
        QString name;
    };
    QList<Entry> entries;
    const QStringList names = QDir(paths.sys + QStringLiteral("/class/tty"))
                                  .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch() || !QFileInfo::exists(paths.dev + u'/' + name))
            continue;
        const QString family = m.captured(1);
        if (family == QStringLiteral("S") && !hasUart(name, paths))
            continue;
        const int kind = family == QStringLiteral("ACM") ? 0 : family == QStringLiteral("USB") ? 1 : 2;
        entries.append({kind, m.captured(2).toInt(), name});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return std::tie(a.kind, a.number) < std::tie(b.kind, b.number);
    });
    QList<SerialDevice> devices;
    for (const Entry &e : entries)
        devices.append(describeDevice(paths.dev + u'/' + e.name, paths));
    return devices;
}
