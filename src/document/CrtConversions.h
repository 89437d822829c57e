#pragma once

#include <climits>
#include <cstdint>

// The original platform's C casts from double, without undefined behaviour: truncation
// toward zero, and the processor's "integer indefinite" value (the lowest integer of the
// width) for NaN and for numbers outside the range.

inline std::int32_t TruncateToInt32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(v);
}

// (short)(int)v: the low 16 bits of the 32-bit conversion.
inline std::int16_t TruncateToCode16(double v) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(TruncateToInt32(v)));
}

inline std::int64_t TruncateToInt64(double v) {
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) {
        return INT64_MIN;
    }
    return static_cast<std::int64_t>(v);
}
