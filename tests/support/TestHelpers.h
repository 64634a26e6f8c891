#pragma once

#include "Failure.h"

#include <functional>

// The number of the Failure a step throws, or 0 when it succeeds.
inline int failureNumber(const std::function<void()> &step)
{
    try {
        step();
    } catch (const Failure &f) {
        return f.number();
    }
    return 0;
}
