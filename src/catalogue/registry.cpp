// One name space for the default patterns: the fifteen rudiments, then the built-in table.
#include "catalogue/registry.hpp"

#include <cstring>
#include <string>

#include "catalogue/builtin_table.hpp"
#include "rudiments/rudiments.hpp"

namespace kinetrope {
namespace {

template <std::size_t N>
bool is(std::string_view name, const char (&literal)[N]) noexcept {
    return std::memcmp(name.data(), literal, N - 1) == 0;
}

// Rudiment names by length first, so most names cost one switch and at most one memcmp.
// Every built-in name is 8 to 32 bytes; lengths without a rudiment go straight to the table.
// The answer is the rudiment's place in catalogue order, or NONE.
constexpr std::size_t NONE = RUDIMENT_COUNT;
std::size_t find_rudiment(std::string_view n) noexcept {
    switch (n.size()) {
        case 4:
            if (is(n, "sway")) return rudiment_place("sway");
            if (is(n, "flam")) return rudiment_place("flam");
            if (is(n, "drag")) return rudiment_place("drag");
            return NONE;
        case 5:
            return is(n, "helix") ? rudiment_place("helix") : NONE;
        case 6:
            if (is(n, "bounce")) return rudiment_place("bounce");
            if (is(n, "circle")) return rudiment_place("circle");
            return NONE;
        case 8:
            return is(n, "box_step") ? rudiment_place("box_step") : NONE;
        case 10:
            return is(n, "step_touch") ? rudiment_place("step_touch") : NONE;
        case 12:
            return is(n, "figure_eight") ? rudiment_place("figure_eight") : NONE;
        case 16:
            return is(n, "five_stroke_roll") ? rudiment_place("five_stroke_roll") : NONE;
        case 17:
            if (is(n, "ombrel_background")) return rudiment_place("ombrel_background");
            if (is(n, "single_paradiddle")) return rudiment_place("single_paradiddle");
            return NONE;
        case 18:
            if (is(n, "single_stroke_roll")) return rudiment_place("single_stroke_roll");
            if (is(n, "double_stroke_roll")) return rudiment_place("double_stroke_roll");
            return NONE;
        case 20:
            return is(n, "multiple_bounce_roll") ? rudiment_place("multiple_bounce_roll") : NONE;
        default:
            return NONE;
    }
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

DefaultPattern find_default(std::string_view name) noexcept {
    if (const std::size_t r = find_rudiment(name); r != NONE) {
        return {RUDIMENT_TABLE[r].function, nullptr};
    }
    if (const BuiltinPattern* b = find_builtin(name)) {
        return {b->sampler, b};
    }
    return {};
}

std::size_t DefaultPattern::position() const noexcept {
    if (builtin != nullptr) {
        return RUDIMENT_COUNT + static_cast<std::size_t>(builtin - builtin_patterns().data());
    }
    // Each rudiment has a function of its own.
    std::size_t r = 0;
    while (r + 1 < RUDIMENT_COUNT && RUDIMENT_TABLE[r].function != sampler) {
        ++r;
    }
    return r;
}

std::string unknown_name_message(std::string_view name) {
    std::string message = "Unknown kinetrope rudiment: ";
    message.append(name);
    return message;
}

}  // namespace kinetrope
