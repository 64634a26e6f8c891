#pragma once

#include <QString>

// Which device a COM port number stands for: the registry's serial-port map, with
// /dev/ttyS<n-1> for a port it does not name.
QString serialDevicePath(int portNumber);
