#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

// Nearest whole number, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2), as every
// position, scale and bar-meter rule of the program rounds. Assumes the default rounding mode.
inline double RoundHalfEven(double v) {
    return std::nearbyint(v);
}

// The nearest 32-bit integer (halves to even), or nothing when v is not finite or the result does
// not fit in [-2147483647, 2147483647].
inline std::optional<std::int32_t> NearestInt32(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = RoundHalfEven(v);
    if (r < -2147483647.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}
