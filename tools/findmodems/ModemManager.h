#pragma once

#include "tools/findmodems/SerialDevices.h"

#include <QString>

// ModemManager probes every modem port it sees and may keep it open, so Ringvane cannot
// have it. A udev property tells it to leave a device alone.
inline constexpr const char *kUdevRuleFile = "/etc/udev/rules.d/79-ringvane-modem.rules";

bool modemManagerRunning(const SystemPaths &paths = {});

// True when udev already tells ModemManager to leave the device alone.
bool ignoredByModemManager(const QString &device, const SystemPaths &paths = {});

// The udev rule line that keeps ModemManager away from the device.
QString modemManagerRule(const SerialDevice &device);
