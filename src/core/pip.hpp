#pragma once

// The time base: a pip is a signed 32-bit time position, 64 of them to a beat.

namespace kinetrope {

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

}  // namespace kinetrope
