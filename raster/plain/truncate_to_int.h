#pragma once

#include <climits>

// Float to int conversion toward zero with a defined result for every input:
// values in [-2^31, 2^31) truncate toward zero exactly like a cast; NaN gives
// 0; values at or above 2^31 (including +infinity) give INT_MAX; values below
// -2^31 (including -infinity) give INT_MIN. Every row and column the
// rasteriser derives from a screen coordinate goes through here, because a
// plain cast of an out-of-range value is undefined behaviour.
inline int truncateToInt(float value) {
    if (value >= -2147483648.0f && value < 2147483648.0f) return static_cast<int>(value);
    if (value != value) return 0;
    return value > 0.0f ? INT_MAX : INT_MIN;
}
