#pragma once

#include <QString>

// Who may open a serial device, and what to tell a user who may not: shared by
// ringvane-find-modems and the window, so both give the same advice.
namespace modem {

// The name of the group owning a device ("dialout"), its number when it has no name, empty
// when the device is not there.
QString deviceGroup(const QString &device);

// Whether a user may sensibly be told to join the group owning a device: the administrator's
// own groups open far more than a modem (disks, passwords, sudo, the system's logs).
bool isJoinableGroup(const QString &group);

// What to do about a device its user may not open: join its group, or, where that group is
// the administrator's, one line to copy that gives the device to "dialout".
QString groupAdvice(const QString &device, const QString &group);

// ringvane-find-modems' line in its report for a device its user may not open: the device
// and the advice. The window finds the device in that report, in English or translated.
inline constexpr char MayNotOpenLine[] =
    QT_TRANSLATE_NOOP("ringvane-find-modems", "%1: you may not open it. %2");

} // namespace modem
