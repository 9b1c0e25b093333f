// Drum-rudiment motions: each is a fixed stroke list evaluated by evaluate_strokes.
// The list order is data: the sums are formed in it, which fixes the last bit.
#include <array>
#include <cmath>

#include "core/pip.hpp"
#include "rudiments/rudiments.hpp"

namespace kinetrope {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kLiftFactor = 0.72;
constexpr int R = 1;
constexpr int L = -1;

constexpr std::array<Stroke, 8> kSingleStroke{{{0, R, 0.92, 8},
                                               {8, L, 0.92, 8},
                                               {16, R, 0.92, 8},
                                               {24, L, 0.92, 8},
                                               {32, R, 0.92, 8},
                                               {40, L, 0.92, 8},
                                               {48, R, 0.92, 8},
                                               {56, L, 0.92, 8}}};

constexpr std::array<Stroke, 8> kDoubleStroke{{{0, R, 0.88, 8},
                                               {8, R, 0.72, 8},
                                               {16, L, 0.88, 8},
                                               {24, L, 0.72, 8},
                                               {32, R, 0.88, 8},
                                               {40, R, 0.72, 8},
                                               {48, L, 0.88, 8},
                                               {56, L, 0.72, 8}}};

constexpr std::array<Stroke, 8> kMultipleBounce{{{0, R, 0.92, 6},
                                                 {6, R, 0.68, 6},
                                                 {12, R, 0.48, 6},
                                                 {18, R, 0.32, 6},
                                                 {32, L, 0.92, 6},
                                                 {38, L, 0.68, 6},
                                                 {44, L, 0.48, 6},
                                                 {50, L, 0.32, 6}}};

constexpr std::array<Stroke, 16> kParadiddle{{{0, R, 1.0, 8},
                                              {8, L, 0.72, 8},
                                              {16, R, 0.72, 8},
                                              {24, R, 0.72, 8},
                                              {32, L, 1.0, 8},
                                              {40, R, 0.72, 8},
                                              {48, L, 0.72, 8},
                                              {56, L, 0.72, 8},
                                              {64, R, 1.0, 8},
                                              {72, L, 0.72, 8},
                                              {80, R, 0.72, 8},
                                              {88, R, 0.72, 8},
                                              {96, L, 1.0, 8},
                                              {104, R, 0.72, 8},
                                              {112, L, 0.72, 8},
                                              {120, L, 0.72, 8}}};

constexpr std::array<Stroke, 4> kFlam{{{0, L, 0.34, 10}, {5, R, 0.9, 14}, {32, R, 0.34, 10}, {37, L, 0.9, 14}}};

constexpr std::array<Stroke, 6> kDrag{{{0, L, 0.28, 8},
                                       {5, L, 0.32, 8},
                                       {10, R, 0.88, 14},
                                       {32, R, 0.28, 8},
                                       {37, R, 0.32, 8},
                                       {42, L, 0.88, 14}}};

constexpr std::array<Stroke, 10> kFiveStroke{{{0, R, 0.72, 9},
                                              {8, R, 0.62, 9},
                                              {16, L, 0.72, 9},
                                              {24, L, 0.62, 9},
                                              {36, R, 1.0, 14},
                                              {64, L, 0.72, 9},
                                              {72, L, 0.62, 9},
                                              {80, R, 0.72, 9},
                                              {88, R, 0.62, 9},
                                              {100, L, 1.0, 14}}};

constexpr double clamp_unit(double v) noexcept { return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v); }

}  // namespace

Offset3 evaluate_strokes(int pip, int period, std::span<const Stroke> strokes) noexcept {
    double sx = 0.0;
    double sy = 0.0;
    const int c = floor_mod(pip, period);
    // Each rudiment's call is inlined over its constant list; unrolled, every stroke's
    // onset, length and amplitude become constants and its idle test a comparison or two.
#if defined(__GNUC__)
#pragma GCC unroll 16
#endif
    for (const Stroke& s : strokes) {
        // With 0 <= onset < period the difference lies in (-period, period), so one
        // conditional add is the floor modulo without a division per stroke.
        int d = c - s.onset;
        if (s.onset < 0 || s.onset >= period) {
            d = floor_mod(d, period);
        } else if (d < 0) {
            d += period;
        }
        // An idle stroke would add +-0.0 to sums that are never -0.0, which changes
        // nothing; skipping it keeps the floating-point chain as short as the active list.
        if (d < s.length) {
            const double e = std::sin((static_cast<double>(d) / static_cast<double>(s.length)) * kPi);
            const double v = (e * s.amplitude) * e;
            sx = sx + static_cast<double>(s.hand) * v;
            sy = sy - v * kLiftFactor;
        }
    }
    return {clamp_unit(sx), clamp_unit(sy), 0.0};
}

Offset3 single_stroke_roll(int pip) noexcept { return evaluate_strokes(pip, 64, kSingleStroke); }
Offset3 double_stroke_roll(int pip) noexcept { return evaluate_strokes(pip, 64, kDoubleStroke); }
Offset3 multiple_bounce_roll(int pip) noexcept { return evaluate_strokes(pip, 64, kMultipleBounce); }
Offset3 single_paradiddle(int pip) noexcept { return evaluate_strokes(pip, 128, kParadiddle); }
Offset3 flam(int pip) noexcept { return evaluate_strokes(pip, 64, kFlam); }
Offset3 drag(int pip) noexcept { return evaluate_strokes(pip, 64, kDrag); }
Offset3 five_stroke_roll(int pip) noexcept { return evaluate_strokes(pip, 128, kFiveStroke); }

}  // namespace kinetrope
