#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/offset3.hpp"

namespace kinetrope {

using PatternSampler = Offset3 (*)(int pip);

// One record of the built-in table; the text and samples live in constant storage.
struct BuiltinPattern {
    std::string_view name;
    std::string_view description;
    std::uint16_t period_pips;
    std::uint8_t dimensions;
    PatternSampler sampler;
};

// The records in table order, and their positions sorted by name (byte-wise).
std::span<const BuiltinPattern> builtin_patterns() noexcept;
std::span<const std::uint64_t> builtin_name_index() noexcept;

// The names in index order as four big-endian words of their bytes, zero-padded to 32
// (every built-in name is at most 32 bytes), so the search compares integers instead of
// chasing each name; the generated table holds one key per entry of the name index.
struct BuiltinNameKey {
    std::uint64_t word[4];
};
inline constexpr std::size_t BUILTIN_NAME_MIN = 8;
inline constexpr std::size_t BUILTIN_NAME_MAX = 32;

// Lower-bound search of the name index; nullptr when no record bears the name.
const BuiltinPattern* find_builtin(std::string_view name) noexcept;

}  // namespace kinetrope
