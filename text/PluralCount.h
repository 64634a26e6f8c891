#pragma once

#include <limits>

// The count a %n plural is given: Qt takes an int, and a larger count is said as the
// largest one.
inline int pluralCount(long long count)
{
    return count > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(count);
}
