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

// Every built-in name has 8 to 32 bytes (the generator checks), so the table's name keys
// hold whole names.
inline constexpr std::size_t BUILTIN_NAME_MIN = 8;
inline constexpr std::size_t BUILTIN_NAME_MAX = 32;

// Lower-bound search of the name index; nullptr when no record bears the name.
const BuiltinPattern* find_builtin(std::string_view name) noexcept;

}  // namespace kinetrope
