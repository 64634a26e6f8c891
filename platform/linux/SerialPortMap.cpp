#include "SerialPortMap.h"

// Placeholder until the registry hive lands: the conventional name only.
QString serialDevicePath(int portNumber)
{
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}
