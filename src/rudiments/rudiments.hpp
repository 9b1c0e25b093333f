#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/offset3.hpp"

namespace kinetrope {

// 3t^2 - 2t^3, evaluated as written so every caller rounds the same way.
constexpr double smoothstep(double t) noexcept { return (3.0 - (t + t)) * (t * t); }

Offset3 bounce(int pip) noexcept;
Offset3 sway(int pip) noexcept;
Offset3 circle(int pip) noexcept;
Offset3 figure_eight(int pip) noexcept;
Offset3 step_touch(int pip) noexcept;
Offset3 box_step(int pip) noexcept;
Offset3 helix(int pip) noexcept;
Offset3 ombrel_background(int pip) noexcept;

struct Stroke {
    int onset;
    int hand;
    double amplitude;
    int length;
};

Offset3 evaluate_strokes(int pip, int period, std::span<const Stroke> strokes) noexcept;

Offset3 single_stroke_roll(int pip) noexcept;
Offset3 double_stroke_roll(int pip) noexcept;
Offset3 multiple_bounce_roll(int pip) noexcept;
Offset3 single_paradiddle(int pip) noexcept;
Offset3 flam(int pip) noexcept;
Offset3 drag(int pip) noexcept;
Offset3 five_stroke_roll(int pip) noexcept;

// Catalogue data of one rudiment; the table lists them in catalogue (and registration) order.
struct RudimentInfo {
    std::string_view name;
    std::string_view description;
    std::uint16_t period_pips;
    std::uint8_t dimensions;
    Offset3 (*function)(int) noexcept;
};

inline constexpr std::size_t RUDIMENT_COUNT = 15;

inline constexpr std::array<RudimentInfo, RUDIMENT_COUNT> RUDIMENT_TABLE{{
    {"bounce", "One-beat vertical bounce", 64, 1, &bounce},
    {"sway", "Two-beat side-to-side sway", 128, 1, &sway},
    {"circle", "One-beat circular orbit", 64, 2, &circle},
    {"figure_eight", "Two-beat figure eight", 128, 2, &figure_eight},
    {"step_touch", "Two-beat side step with a small lift", 128, 2, &step_touch},
    {"box_step", "Four-beat softened square path", 256, 2, &box_step},
    {"helix", "Four-beat double-turn helix", 256, 3, &helix},
    {"ombrel_background", "Ombrel/Quillon four-beat accented background drift", 256, 2, &ombrel_background},
    {"single_stroke_roll", "Alternating R/L strokes with smooth attack and decay", 64, 2, &single_stroke_roll},
    {"double_stroke_roll", "RRLL strokes with a softer second motion", 64, 2, &double_stroke_roll},
    {"multiple_bounce_roll", "Decaying same-hand bounce clusters", 64, 2, &multiple_bounce_roll},
    {"single_paradiddle", "RLRR LRLL with accented lead strokes", 128, 2, &single_paradiddle},
    {"flam", "Grace motion flowing into an opposite-hand primary motion", 64, 2, &flam},
    {"drag", "Two grace motions flowing into an opposite-hand primary motion", 64, 2, &drag},
    {"five_stroke_roll", "Two diddles resolving to an accented fifth motion", 128, 2, &five_stroke_roll},
}};

inline std::span<const RudimentInfo, RUDIMENT_COUNT> rudiments() noexcept { return RUDIMENT_TABLE; }

// The place of a rudiment in catalogue order, worked out while compiling: a name that is not
// a rudiment's does not compile.
consteval std::size_t rudiment_place(std::string_view name) {
    for (std::size_t i = 0; i < RUDIMENT_COUNT; ++i) {
        if (RUDIMENT_TABLE[i].name == name) {
            return i;
        }
    }
    throw "not a rudiment";
}

}  // namespace kinetrope
