// lfo: slow control shapes of one or two axes over four or eight beats (256 or 512 pips,
// 1024 for the seeded drift): closed formulas of theta = 2 pi p / P, keyframe lists joined
// by the quintic easing, and a few authored shapes built from the parameter rows below.
// No number in these names is a count.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

using kgen::Key;
using kgen::Sample;
using Lane = std::optional<std::vector<Key>>;

// ---- closed formulas, taken as they are (no scaling) -----------------------------------

Sample breathe(double t) { return {0.8 * std::sin(t), 0.0, 0.0}; }

Sample flower(double t) {
    return {0.56 * std::cos(t) - 0.28 * std::cos(2.0 * t),
            0.56 * std::sin(t) + 0.28 * std::sin(2.0 * t), 0.0};
}

Sample breathing_orbit(double t) {
    return {0.67 * std::cos(t) + 0.11 * std::cos(3.0 * t),
            0.39 * std::sin(t) + 0.09 * std::sin(3.0 * t), 0.0};
}

Sample triplet_wobble(double t) {
    return {std::sin(12.0 * t) * (0.5525 - 0.255 * std::cos(t)), 0.22 * std::sin(t), 0.0};
}

struct FormulaMember {
    const char* name;
    Sample (*f)(double);
};

constexpr FormulaMember kFormulas[] = {
    {"lfo_breathe", breathe},
    {"lfo_flower", flower},
    {"lfo_breathing_orbit", breathing_orbit},
    {"lfo_triplet_wobble", triplet_wobble},
};

// ---- keyframe lists (pip: value) ---------------------------------------------------------

struct KeyMember {
    const char* name;
    Lane x;
    Lane y;
};

const std::vector<KeyMember>& key_members() {
    static const std::vector<KeyMember> list = {
        {"lfo_surge", std::vector<Key>{{0, -0.8}, {192, 0.8}, {256, -0.8}}, std::nullopt},
        {"lfo_soft_gate",
         std::vector<Key>{{0, -0.8}, {32, 0.8}, {128, 0.8}, {160, -0.8}, {256, -0.8}},
         std::nullopt},
        {"lfo_double_pump", std::nullopt,
         std::vector<Key>{{0, 0.0}, {32, -0.85}, {64, 0.0}, {96, -0.55}, {128, 0.0}, {256, 0.0}}},
        {"lfo_glide_stair",
         std::vector<Key>{{0, -0.8}, {32, -0.8}, {64, -0.4}, {96, 0.0}, {128, 0.4}, {160, 0.8},
                          {192, 0.8}, {256, -0.8}},
         std::nullopt},
        {"lfo_twin_swell",
         std::vector<Key>{{0, 0.0}, {128, 0.2}, {256, 0.0}, {384, -0.32}, {512, 0.0}},
         std::vector<Key>{{0, 0.0}, {128, -0.85}, {256, 0.0}, {384, -0.45}, {512, 0.0}}},
        {"lfo_pulse_hold",
         std::vector<Key>{{0, 0.0}, {32, 0.8}, {128, 0.8}, {160, -0.35}, {192, 0.0}, {256, 0.0}},
         std::nullopt},
        {"lfo_reverse_swell",
         std::vector<Key>{{0, 0.0}, {192, -0.24}, {224, 0.24}, {384, 0.0}, {512, 0.0}},
         std::vector<Key>{{0, 0.0}, {192, -0.82}, {224, 0.0}, {256, -0.38}, {288, 0.0},
                          {320, -0.18}, {352, 0.0}, {512, 0.0}}},
    };
    return list;
}

}  // namespace

KGEN_FAMILY(lfo) {
    for (const FormulaMember& m : kFormulas) {
        kgen::define(m.name, [f = m.f](const kgen::Record& r) { return kgen::sample_theta(r.period, f); });
    }
    for (const KeyMember& m : key_members()) {
        kgen::define(m.name, [&m](const kgen::Record& r) {
            return kgen::keyframes(r.period, m.x, m.y, std::nullopt);
        });
    }
}
