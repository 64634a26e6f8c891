#pragma once

#include <QByteArray>
#include <QFile>

// A "Field:" of /proc/self/status in kB: resident memory by kind, anonymous (heap,
// stacks, pixmaps) and file-backed (mostly the code of the libraries loaded).
inline long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}
