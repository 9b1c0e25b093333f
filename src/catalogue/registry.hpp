#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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

// Any default pattern by name; throws std::invalid_argument for an unknown name.
Offset3 sample(std::string_view name, int pip);

}  // namespace kinetrope
