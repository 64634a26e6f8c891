#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Read-only helpers over the registry below HKEY_LOCAL_MACHINE. Paths are key names joined
// by "\"; for the value readers the last name is the value's. They never fail: anything
// missing or unreadable gives the empty result. Every key they open they close.

// names becomes the empty text followed by the subkeys in the registry's order (callers
// index it from 1). The text after the last "\" of path is ignored.
void EnumRegSubKeys(const QString &path, QStringList &names);

// A value of any type, taken as text; empty when it does not fit 149 bytes and its NUL.
QString GetRegString(const QString &path);

// A value's bytes, at most 250; empty when it is longer.
QByteArray GetRegBinary(const QString &path);
