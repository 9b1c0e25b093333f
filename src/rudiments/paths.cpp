// The eight step and path rudiments. Each reduces its pip to a phase first, so the
// floating-point work only ever sees small, exact values.
#include <array>
#include <cmath>

#include "core/pip.hpp"
#include "rudiments/rudiments.hpp"

namespace kinetrope {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kFourPi = 12.566370614359172;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kLift = 0.35;

struct Segment {
    double from;
    double to;
};
constexpr std::array<Segment, 4> kStepTouch{{{-1.0, 0.0}, {0.0, 1.0}, {1.0, 0.0}, {0.0, -1.0}}};

struct Corner {
    double x;
    double y;
};
struct Side {
    Corner from;
    Corner to;
};
constexpr std::array<Side, 4> kBoxStep{{{{-1.0, -1.0}, {1.0, -1.0}},
                                        {{1.0, -1.0}, {1.0, 1.0}},
                                        {{1.0, 1.0}, {-1.0, 1.0}},
                                        {{-1.0, 1.0}, {-1.0, -1.0}}}};

struct Keyframe {
    int pip;
    double x;
    double y;
};
// Values are n/14 and m/10, computed by true division so they are the nearest doubles.
constexpr std::array<Keyframe, 14> kBackgroundKeys{{
    {0, 0 / 14.0, 0 / 10.0},     {23, 2 / 14.0, -1 / 10.0},   {33, 13 / 14.0, -8 / 10.0},
    {49, 5 / 14.0, -4 / 10.0},   {87, -3 / 14.0, 2 / 10.0},   {100, -14 / 14.0, 9 / 10.0},
    {118, -5 / 14.0, 5 / 10.0},  {154, 1 / 14.0, 0 / 10.0},   {169, 12 / 14.0, 10 / 10.0},
    {187, 4 / 14.0, 5 / 10.0},   {215, -2 / 14.0, -2 / 10.0}, {228, -10 / 14.0, -9 / 10.0},
    {243, -3 / 14.0, -3 / 10.0}, {256, 0 / 14.0, 0 / 10.0},
}};

constexpr int kBackgroundPeriod = 256;

// A pip equal to a keyframe's stays in the segment that ends there, which shows in the
// last bit at some keyframes (entry 100 has y = 0.8999999999999999).
constexpr std::array<Offset3, kBackgroundPeriod> fill_background() {
    std::array<Offset3, kBackgroundPeriod> table{};
    std::size_t i = 0;
    for (int j = 0; j < kBackgroundPeriod; ++j) {
        while (i + 1 < kBackgroundKeys.size() && j > kBackgroundKeys[i + 1].pip) {
            ++i;
        }
        const Keyframe& a = kBackgroundKeys[i];
        const Keyframe& b = kBackgroundKeys[i + 1];
        const double t = static_cast<double>(j - a.pip) / static_cast<double>(b.pip - a.pip);
        const double s = smoothstep(t);
        table[static_cast<std::size_t>(j)] = {(b.x - a.x) * s + a.x, (b.y - a.y) * s + a.y, 0.0};
    }
    return table;
}

// Built at compile time: nothing runs at load, and nothing can read it half-filled.
constexpr std::array<Offset3, kBackgroundPeriod> kBackground = fill_background();

}  // namespace

Offset3 bounce(int pip) noexcept {
    const int c = floor_mod(pip, 64);
    return {1.0 - std::fabs(c * 0.015625 - 0.5) * 4.0, 0.0, 0.0};
}

Offset3 sway(int pip) noexcept {
    const int c = floor_mod(pip, 128);
    return {std::sin((c * 0.0078125) * kTwoPi), 0.0, 0.0};
}

Offset3 circle(int pip) noexcept {
    const int c = floor_mod(pip, 64);
    const double a = (c * 0.015625) * kTwoPi - kHalfPi;
    return {std::cos(a), std::sin(a), 0.0};
}

Offset3 figure_eight(int pip) noexcept {
    const int c = floor_mod(pip, 128);
    const double a = (c * 0.0078125) * kTwoPi;
    return {std::sin(a), std::sin(a + a), 0.0};
}

Offset3 step_touch(int pip) noexcept {
    const int c = floor_mod(pip, 128);
    const Segment& seg = kStepTouch[static_cast<std::size_t>(c / 32)];
    const double t = (c % 32) * 0.03125;
    const double s = smoothstep(t);
    // Negating the product gives -0.0 at every segment start, as intended.
    return {s * (seg.to - seg.from) + seg.from, -(std::sin(t * kPi) * kLift), 0.0};
}

Offset3 box_step(int pip) noexcept {
    const int c = floor_mod(pip, 256);
    const Side& side = kBoxStep[static_cast<std::size_t>(c / 64)];
    const double t = (c % 64) * 0.015625;
    const double s = smoothstep(t);
    return {(side.to.x - side.from.x) * s + side.from.x, (side.to.y - side.from.y) * s + side.from.y,
            0.0};
}

Offset3 helix(int pip) noexcept {
    const int c = floor_mod(pip, 256);
    const double u = c * 0.00390625;
    const double a = u * kFourPi;
    return {std::cos(a), std::sin(a), std::sin(u * kTwoPi)};
}

Offset3 ombrel_background(int pip) noexcept {
    return kBackground[static_cast<std::size_t>(floor_mod(pip, kBackgroundPeriod))];
}

}  // namespace kinetrope
