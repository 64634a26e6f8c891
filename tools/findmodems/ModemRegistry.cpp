#include "tools/findmodems/ModemRegistry.h"

#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>

namespace modemreg {

namespace {

// No registry file is this large; one that is, is not ours to rewrite.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

QByteArray text(const QString &s)
{
    return s.toUtf8() + '\0';
}

QString valueText(const registry::Value *v)
{
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ))
        return {};
    QByteArrayView data = v->data;
    if (const qsizetype nul = data.indexOf('\0'); nul >= 0)
        data.truncate(nul);
    return QString::fromUtf8(data).trimmed();
}

int portNumber(const QString &port)
{
    static const QRegularExpression com(QStringLiteral("^COM(\\d{1,5})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(port);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

bool sameDevice(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// The map's port for the device, or empty.
QString mappedPort(const registry::Hive &hive, const QString &devicePath)
{
    const int map = hive.find(registry::Hive::Top, kSerialCommKey);
    if (map < 0)
        return {};
    for (const registry::Value &v : hive.values(map)) {
        if (!v.name.isEmpty() && sameDevice(QString::fromUtf8(v.name), devicePath)) {
            const QString port = valueText(&v);
            if (portNumber(port) > 0)
                return port;
        }
    }
    return {};
}

QSet<int> usedPorts(const registry::Hive &hive)
{
    QSet<int> used;
    if (const int map = hive.find(registry::Hive::Top, kSerialCommKey); map >= 0) {
        for (const registry::Value &v : hive.values(map))
            used.insert(portNumber(valueText(&v)));
    }
    if (const int modems = hive.find(registry::Hive::Top, kModemClassKey); modems >= 0) {
        for (const int modem : hive.subkeys(modems))
            used.insert(portNumber(valueText(hive.value(modem, "AttachedTo"))));
    }
    return used;
}

int freePort(const QSet<int> &used, const QString &devicePath)
{
    // A ttySn with no stable name is COM(n+1) to everyone used to that numbering.
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS(\\d{1,3})$"));
    const QRegularExpressionMatch m = ttyS.match(devicePath);
    if (m.hasMatch() && !used.contains(m.captured(1).toInt() + 1))
        return m.captured(1).toInt() + 1;
    int n = 1;
    while (used.contains(n))
        ++n;
    return n;
}

Result<registry::Hive> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(0, QCoreApplication::translate("ringvane-find-modems", "cannot read %1: %2")
                              .arg(path, file.errorString()));
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return Failure(0, QCoreApplication::translate("ringvane-find-modems",
                                                      "%1 is too large to be a registry file")
                              .arg(path));
    registry::Hive hive = registry::parseRegistryText(bytes);
    if (hive.isEmpty() && !bytes.trimmed().isEmpty() && !bytes.contains("REGEDIT4")
        && !bytes.contains("Registry Editor"))
        return Failure(0, QCoreApplication::translate("ringvane-find-modems",
                                                      "%1 does not look like a registry file")
                              .arg(path));
    return hive;
}

} // namespace

QByteArray modemDcb(qint32 baud)
{
    QByteArray dcb(28, '\0');
    qToLittleEndian<quint32>(28, dcb.data());
    qToLittleEndian<quint32>(quint32(baud), dcb.data() + 4);
    dcb[8] = 0x01; // fBinary
    dcb[18] = 8;   // ByteSize
    dcb[19] = 0;   // no parity
    dcb[20] = 0;   // one stop bit
    return dcb;
}

std::optional<Registration> findRegistration(const registry::Hive &hive, const QString &devicePath)
{
    const QString port = mappedPort(hive, devicePath);
    const int modems = hive.find(registry::Hive::Top, kModemClassKey);
    if (port.isEmpty() || modems < 0)
        return std::nullopt;
    for (const int modem : hive.subkeys(modems)) {
        if (portNumber(valueText(hive.value(modem, "AttachedTo"))) == portNumber(port))
            return Registration{port, QString::fromUtf8(hive.name(modem)),
                                valueText(hive.value(modem, "Model"))};
    }
    return std::nullopt;
}

Registration registerModem(registry::Hive &hive, const FoundModem &modem)
{
    if (auto existing = findRegistration(hive, modem.stablePath))
        return *existing;

    Registration reg;
    reg.port = mappedPort(hive, modem.stablePath);
    if (reg.port.isEmpty()) {
        reg.port = QStringLiteral("COM%1").arg(freePort(usedPorts(hive), modem.stablePath));
        int key = registry::Hive::Top;
        for (const QByteArray &name : QByteArray(kSerialCommKey).split('\\'))
            key = hive.findOrAdd(key, name);
        hive.setValue(key, modem.stablePath.toUtf8(), REG_SZ, text(reg.port));
    }

    int classKey = registry::Hive::Top;
    for (const QByteArray &name : QByteArray(kModemClassKey).split('\\'))
        classKey = hive.findOrAdd(classKey, name);
    int number = 0;
    while (hive.child(classKey, QByteArray::number(number).rightJustified(4, '0')) >= 0)
        ++number;
    reg.modemKey = QString::number(number).rightJustified(4, u'0');
    reg.model = modem.model;

    const int key = hive.findOrAdd(classKey, reg.modemKey.toUtf8());
    hive.setValue(key, "Model", REG_SZ, text(modem.model));
    hive.setValue(key, "AttachedTo", REG_SZ, text(reg.port));
    hive.setValue(key, "DCB", REG_BINARY, modemDcb(modem.baud));
    hive.setValue(hive.findOrAdd(key, "EnableCallerID"), "1", REG_SZ,
                  text(modem.callerIdCommand + QStringLiteral("<cr>")));
    hive.setValue(hive.findOrAdd(hive.findOrAdd(key, "Settings"), "Init"), "1", REG_SZ,
                  text(modem.initCommand + QStringLiteral("<cr>")));
    return reg;
}

Result<LoadedHive> loadForUpdate(const QString &path, const QString &systemPath)
{
    QString from = path;
    if (!QFileInfo::exists(path)) {
        // The user's file hides the system's, so a new one must carry its modems along.
        if (systemPath.isEmpty() || !QFileInfo::exists(systemPath))
            return LoadedHive{};
        from = systemPath;
    }
    Result<registry::Hive> hive = readFile(from);
    if (!hive)
        return hive.failure();
    return LoadedHive{std::move(*hive), from == path ? QString() : from};
}

} // namespace modemreg
