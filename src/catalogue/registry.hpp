#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/builtin_table.hpp"
#include "core/offset3.hpp"

namespace kinetrope {

// Describes one pattern without its samples; the text is owned elsewhere.
struct CatalogueEntry {
    std::string_view name;
    std::string_view description;
    std::uint16_t period_pips;
    std::uint8_t dimensions;
};

// The fifteen rudiments, then the built-in table in table order; built on first use.
const std::vector<CatalogueEntry>& default_catalogue();

// A default pattern found by name: its sampler and, for a built-in pattern, its record.
struct DefaultPattern {
    PatternSampler sampler = nullptr;
    const BuiltinPattern* builtin = nullptr;  // null for a rudiment

    explicit operator bool() const noexcept { return sampler != nullptr; }
    // Its place in the default catalogue (the rudiments, then the built-in table).
    std::size_t position() const noexcept;
};

// The one lookup of a default name (a rudiment's or a built-in pattern's), compared byte
// for byte; an empty result for any other name. Builds nothing.
DefaultPattern find_default(std::string_view name) noexcept;

// "Unknown kinetrope rudiment: " and the name, the answer to a name nothing bears.
std::string unknown_name_message(std::string_view name);

}  // namespace kinetrope
