#include "platform/SerialPortMap.h"

#include "platform/Registry.h"
#include "platform/RegistryFile.h"

QString serialDevicePath(int portNumber)
{
    const QString port = QStringLiteral("COM%1").arg(portNumber);
    const auto hive = registry::currentHive();
    const int key = hive->find(
        registry::Hive::Top, QByteArrayView("HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm"));
    if (key >= 0) {
        // The first device in the file that claims the port wins.
        for (const registry::Value &v : hive->values(key)) {
            if (v.name.isEmpty() || (v.type != REG_SZ && v.type != REG_EXPAND_SZ))
                continue;
            QByteArrayView data = v.data;
            if (const qsizetype nul = data.indexOf('\0'); nul >= 0)
                data.truncate(nul);
            if (QString::fromUtf8(data).trimmed().compare(port, Qt::CaseInsensitive) == 0)
                return QString::fromUtf8(v.name);
        }
    }
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}
