#pragma once

#include "tools/findmodems/ModemProbe.h"
#include "tools/findmodems/SerialDevices.h"

#include <QString>
#include <QStringList>

class QTextStream;

struct FinderOptions
{
    QStringList devices; // empty: the system's serial and USB ports
    QString registryPath;
    QString systemRegistryPath;
    SystemPaths paths;
    ProbeTimings timings;
    bool verbose = false;
};

// Looks for caller-ID modems, registers the new ones in the registry file and says what it
// found. Returns 0, or 1 when the registry file could not be read or written.
int findModems(const FinderOptions &options, QTextStream &out);
