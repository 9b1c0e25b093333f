#pragma once

// The rules caller data obeys: names are identifiers, sample values lie in [-1, 1].

#include <cmath>
#include <cstddef>
#include <string_view>

namespace kinetrope {

// Most bytes an identifier holds.
inline constexpr std::size_t MAX_IDENTIFIER_BYTES = 128;

// 1..128 bytes, first a-z, then a-z, 0-9 or '_'; bytes are tested as they stand.
constexpr bool is_identifier(std::string_view text) noexcept {
    if (text.empty() || text.size() > MAX_IDENTIFIER_BYTES) {
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
