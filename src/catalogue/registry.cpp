// One name space for the default patterns: the fifteen rudiments, then the built-in table.
#include "catalogue/registry.hpp"

#include <cstring>
#include <stdexcept>
#include <string>

#include "catalogue/builtin_table.hpp"
#include "rudiments/rudiments.hpp"

namespace kinetrope {
namespace {

using Rudiment = Offset3 (*)(int) noexcept;

template <std::size_t N>
bool is(std::string_view name, const char (&literal)[N]) noexcept {
    return std::memcmp(name.data(), literal, N - 1) == 0;
}

// Rudiment names by length first, so most names cost one switch and at most one memcmp.
// Every built-in name is 8 to 32 bytes; lengths without a rudiment go straight to the table.
Rudiment find_rudiment(std::string_view n) noexcept {
    switch (n.size()) {
        case 4:
            if (is(n, "sway")) return &sway;
            if (is(n, "flam")) return &flam;
            if (is(n, "drag")) return &drag;
            return nullptr;
        case 5:
            return is(n, "helix") ? &helix : nullptr;
        case 6:
            if (is(n, "bounce")) return &bounce;
            if (is(n, "circle")) return &circle;
            return nullptr;
        case 8:
            return is(n, "box_step") ? &box_step : nullptr;
        case 10:
            return is(n, "step_touch") ? &step_touch : nullptr;
        case 12:
            return is(n, "figure_eight") ? &figure_eight : nullptr;
        case 16:
            return is(n, "five_stroke_roll") ? &five_stroke_roll : nullptr;
        case 17:
            if (is(n, "ombrel_background")) return &ombrel_background;
            if (is(n, "single_paradiddle")) return &single_paradiddle;
            return nullptr;
        case 18:
            if (is(n, "single_stroke_roll")) return &single_stroke_roll;
            if (is(n, "double_stroke_roll")) return &double_stroke_roll;
            return nullptr;
        case 20:
            return is(n, "multiple_bounce_roll") ? &multiple_bounce_roll : nullptr;
        default:
            return nullptr;
    }
}

[[noreturn]] void unknown(std::string_view name) {
    std::string message = "Unknown kinetrope rudiment: ";
    message.append(name);
    throw std::invalid_argument(message);
}

std::vector<CatalogueEntry> build_default_catalogue() {
    const auto table = builtin_patterns();
    std::vector<CatalogueEntry> entries;
    entries.reserve(RUDIMENT_COUNT + table.size());
    for (const RudimentInfo& r : rudiments()) {
        entries.push_back(CatalogueEntry{r.name, r.description, r.period_pips, r.dimensions});
    }
    for (const BuiltinPattern& b : table) {
        entries.push_back(CatalogueEntry{b.name, b.description, b.period_pips, b.dimensions});
    }
    return entries;
}

}  // namespace

const std::vector<CatalogueEntry>& default_catalogue() {
    // A throwing first build leaves the static uninitialised; the next call tries again.
    static const std::vector<CatalogueEntry> catalogue = build_default_catalogue();
    return catalogue;
}

Offset3 sample(std::string_view name, int pip) {
    if (const Rudiment r = find_rudiment(name)) {
        return r(pip);
    }
    if (const BuiltinPattern* b = find_builtin(name)) {
        return b->sampler(pip);
    }
    unknown(name);
}

}  // namespace kinetrope
