#pragma once

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <ctime>

// The clock and the summary every benchmark's figures share. A start measured across two
// processes (bench_startup and the window it starts) reads the same clock on both sides.
namespace bench {

inline qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The middle value (the upper one of an even count).
template <class T> T median(QList<T> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace bench
