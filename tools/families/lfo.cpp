// lfo: slow control shapes of one or two axes over four or eight beats (256 or 512 pips,
// 1024 for the seeded drift): closed formulas of theta = 2 pi p / P, keyframe lists joined
// by the quintic easing, and a few authored shapes built from the parameter rows below.
// No number in these names is a count.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/seeded.hpp"

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

// ---- authored shapes ----------------------------------------------------------------------

// Ratchet: four hits on the first four eighth notes, each a raised-cosine pulse that is
// zero again before the next one starts, so every hit peaks exactly on its pip; y strikes
// down, x leans to alternate sides; beats three and four rest.
struct Hit {
    int pip;
    double height;
};
constexpr Hit kRatchetHits[] = {{0, 0.82}, {32, 0.6}, {64, 0.42}, {96, 0.28}};
constexpr double kRatchetHalfWidth = 14.0;
constexpr double kRatchetLean = 0.35;

kgen::Block ratchet(const kgen::Record& r) {
    std::vector<kgen::Pulse> pulses;
    double side = 1.0;
    for (const Hit& h : kRatchetHits) {
        pulses.push_back({static_cast<double>(h.pip), kRatchetHalfWidth,
                          {side * kRatchetLean * h.height, -h.height, 0.0}});
        side = -side;
    }
    return kgen::pulse_score(r.period, pulses);
}

// Morph: four carrier cycles whose shape blends from a sine into a triangle that rises
// over three quarters of its cycle and falls over one, and back, over the eight beats;
// y carries the same blend a quarter cycle later, so the x-y loop deforms as well.
constexpr double kMorphCycles = 4.0;
constexpr double kMorphRise = 0.75;
constexpr double kMorphStart = 0.6;

double skewed_triangle(double phi) {
    // shifted so that it crosses zero rising at phi = 0, like the sine
    double ph = std::fmod(phi / kgen::kTwoPi + kMorphRise / 2.0, 1.0);
    if (ph < 0.0) ph += 1.0;
    return ph < kMorphRise ? -1.0 + 2.0 * ph / kMorphRise
                           : 1.0 - 2.0 * (ph - kMorphRise) / (1.0 - kMorphRise);
}

Sample morph(double t) {
    const double m = (1.0 - std::cos(t)) / 2.0;
    const double phi = kMorphCycles * t + kMorphStart;
    const double quarter = phi + kgen::kPi / 2.0;
    return {0.8 * ((1.0 - m) * std::sin(phi) + m * skewed_triangle(phi)),
            0.45 * ((1.0 - m) * std::sin(quarter) + m * skewed_triangle(quarter)), 0.0};
}

// Sweep-ratchet: x glides across over the first four beats, waits, and glides home over
// the last one and a half; three decaying downward pulses fall in the wait.
constexpr Hit kSweepHits[] = {{288, 0.8}, {336, 0.55}, {384, 0.35}};
constexpr double kSweepHalfWidth = 20.0;

kgen::Block sweep_ratchet(const kgen::Record& r) {
    std::vector<kgen::Pulse> pulses;
    for (const Hit& h : kSweepHits) {
        pulses.push_back({static_cast<double>(h.pip), kSweepHalfWidth, {0.0, -h.height, 0.0}});
    }
    kgen::Block block = kgen::pulse_score(r.period, pulses);
    const std::vector<double> sweep = kgen::keyframe_lane(
        r.period, {{0, -0.75}, {256, 0.75}, {416, 0.75}, {r.period, -0.75}});
    for (std::size_t i = 0; i < block.size(); ++i) block[i].x = sweep[i];
    return block;
}

// Seeded drift: two lanes through SHA-256-derived control points (nine on x, seven on y,
// so the lanes never line up), joined by a closed Catmull-Rom spline.
kgen::Block seeded_drift(const kgen::Record& r) {
    const std::vector<double> xs = kgen::hashed_points(r.name + "/x", 9);
    const std::vector<double> ys = kgen::hashed_points(r.name + "/y", 7);
    kgen::Block block = kgen::sample_pips(r.period, [&](int p) {
        const double u = static_cast<double>(p) / static_cast<double>(r.period);
        return Sample{kgen::periodic_catmull_rom(xs, u), kgen::periodic_catmull_rom(ys, u), 0.0};
    });
    kgen::scale_to_peak(block, 0.8);
    return block;
}

// Pendulum dwell: two swings, saturated by tanh so that the bob lingers near both sides;
// y lifts the bob along a shallow arc towards the ends of the swing.
constexpr double kPendulumSwings = 2.0;
constexpr double kPendulumSaturation = 1.7;
constexpr double kPendulumArc = 0.28;
constexpr double kPendulumStart = 0.5;

Sample pendulum_dwell(double t) {
    const double swing = std::tanh(kPendulumSaturation * std::sin(kPendulumSwings * t + kPendulumStart)) /
                         std::tanh(kPendulumSaturation);
    return {0.8 * swing, kPendulumArc * (swing * swing - 0.5), 0.0};
}

}  // namespace

KGEN_FAMILY(lfo) {
    kgen::define("lfo_ratchet", ratchet);
    kgen::define("lfo_morph", [](const kgen::Record& r) { return kgen::sample_theta(r.period, morph); });
    kgen::define("lfo_sweep_ratchet", sweep_ratchet);
    kgen::define("lfo_seeded_drift", seeded_drift);
    kgen::define("lfo_pendulum_dwell",
                 [](const kgen::Record& r) { return kgen::sample_theta(r.period, pendulum_dwell); });
    for (const FormulaMember& m : kFormulas) {
        kgen::define(m.name, [f = m.f](const kgen::Record& r) { return kgen::sample_theta(r.period, f); });
    }
    for (const KeyMember& m : key_members()) {
        kgen::define(m.name, [&m](const kgen::Record& r) {
            return kgen::keyframes(r.period, m.x, m.y, std::nullopt);
        });
    }
}
