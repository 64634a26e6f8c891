#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <unistd.h>

// A "Field:" of a /proc/self file in kB.
inline long procKb(const char *file, const char *field)
{
    QFile status(QString::fromLatin1(file));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Resident memory by kind: anonymous (heap, stacks, window buffers) and file-backed
// (mostly the code of the libraries loaded).
inline long statusKb(const char *field)
{
    return procKb("/proc/self/status", field);
}

// Private memory: the pages this process has written (heap, stacks, window buffers,
// relocated data), which are its alone and cannot be dropped and read again. Pages only
// read (code, fonts, pictures) are left out: whether they count as private depends on
// what else happens to map the same files.
inline long privateKb()
{
    return procKb("/proc/self/smaps_rollup", "Private_Dirty:");
}

// BENCH_STARTUP_SMAPS=PREFIX keeps each start's memory map (PREFIX.PID), to see where the
// memory goes.
inline void keepMemoryMap()
{
    const QString prefix = qEnvironmentVariable("BENCH_STARTUP_SMAPS");
    if (prefix.isEmpty())
        return;
    QFile map(QStringLiteral("/proc/self/smaps"));
    QFile copy(prefix + QLatin1Char('.') + QString::number(::getpid()));
    if (map.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly))
        copy.write(map.readAll()); // proc files have no size: QFile::copy would copy nothing
}

// The one line each measured start prints, read back by bench_startup.
#define STARTUP_REPORT_FORMAT "first=%lld ready=%lld maxrss=%ld firstrss=%ld anon=%ld file=%ld private=%ld"
// The program alone, on the next line: when start-up first reached libphonenumber and its
// geocoder (the monotonic clock, 0 for not yet).
#define NUMBERS_REPORT_FORMAT "numbers=%lld geocoder=%lld"
