#pragma once

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

// Catalogue data of one rudiment, in catalogue (and registration) order.
struct RudimentInfo {
    std::string_view name;
    std::string_view description;
    std::uint16_t period_pips;
    std::uint8_t dimensions;
    Offset3 (*function)(int) noexcept;
};

inline constexpr std::size_t RUDIMENT_COUNT = 15;
std::span<const RudimentInfo, RUDIMENT_COUNT> rudiments() noexcept;

}  // namespace kinetrope
