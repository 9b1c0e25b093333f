#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

namespace kinetrope {

// A displacement on up to three positional axes; every motion source answers with one.
struct Offset3 {
    double x;
    double y;
    double z;
};

inline constexpr int PIPS_PER_BEAT = 64;

// Remainder of value by period in 0 .. period-1; 0 for a period <= 0.
// The truncating remainder never overflows, even for INT_MIN.
constexpr int floor_mod(int value, int period) noexcept {
    if (period <= 0) {
        return 0;
    }
    const int r = value % period;
    return r < 0 ? r + period : r;
}

// 1..128 bytes, first a-z, then a-z, 0-9 or '_'; bytes are tested as they stand.
constexpr bool is_identifier(std::string_view text) noexcept {
    if (text.empty() || text.size() > 128) {
        return false;
    }
    if (text[0] < 'a' || text[0] > 'z') {
        return false;
    }
    for (const char c : text) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// Finite and within [-1, 1]; NaN fails both comparisons.
inline bool is_sample_value(double value) noexcept {
    return std::isfinite(value) && value >= -1.0 && value <= 1.0;
}

}  // namespace kinetrope
