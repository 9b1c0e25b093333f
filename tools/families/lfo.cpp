// lfo: slow control shapes of one or two axes over four or eight beats (256 or 512 pips,
// 1024 for the seeded drift): closed formulas of theta = 2 pi p / P, keyframe lists joined
// by the quintic easing, and a few authored shapes built from the parameter rows below.
// No number in these names is a count.
#include <cmath>
#include <optional>
#include <string>
#include <utility>
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

// Keyframe lists (pip: value) on x and y, joined by the quintic easing.
kgen::Maker keyframes(Lane x, Lane y) {
    return [x = std::move(x), y = std::move(y)](const kgen::Record& r) {
        return kgen::keyframes(r.period, x, y, std::nullopt);
    };
}

}  // namespace

KGEN_FAMILY(lfo, .peak_low = 0.75, .peak_high = 0.85, .step = 0.154) {
    using kgen::define;
    using Keys = std::vector<Key>;
    define("lfo_breathe", 256, 1,
           "A four-beat, single-axis sine. The quiet reference for judging busier shapes.",
           kgen::formula(breathe));
    define("lfo_surge", 256, 1,
           "A long rounded sweep and short recovery; an independently authored smooth-reset "
           "shape.",
           keyframes(Keys{{0, -0.8}, {192, 0.8}, {256, -0.8}}, std::nullopt));
    define("lfo_soft_gate", 256, 1,
           "Short smooth transitions separated by long stationary dwells. No square-wave "
           "teleport.",
           keyframes(Keys{{0, -0.8}, {32, 0.8}, {128, 0.8}, {160, -0.8}, {256, -0.8}},
                     std::nullopt));
    define("lfo_double_pump", 256, 2,
           "Two unequal pumps and a breathing space within four beats.",
           keyframes(std::nullopt,
                     Keys{{0, 0.0}, {32, -0.85}, {64, 0.0}, {96, -0.55}, {128, 0.0}, {256, 0.0}}));
    define("lfo_ratchet", 256, 2,
           "A four-hit decaying burst, then a rest. Every event is peak-aligned.", ratchet);
    define("lfo_glide_stair", 256, 1,
           "Five rounded steps traverse the field, then a smooth return.",
           keyframes(Keys{{0, -0.8}, {32, -0.8}, {64, -0.4}, {96, 0.0}, {128, 0.4}, {160, 0.8},
                          {192, 0.8}, {256, -0.8}},
                     std::nullopt));
    define("lfo_morph", 512, 2,
           "An eight-beat blend between a sine and skewed triangle; movement changes within "
           "the phrase.",
           kgen::formula(morph));
    define("lfo_flower", 512, 2,
           "Related rotations form an original three-lobed XY loop over eight beats.",
           kgen::formula(flower));
    define("lfo_twin_swell", 512, 2,
           "Two broad swells of unequal depth, with a gentle lateral answer. Eight beats.",
           keyframes(Keys{{0, 0.0}, {128, 0.2}, {256, 0.0}, {384, -0.32}, {512, 0.0}},
                     Keys{{0, 0.0}, {128, -0.85}, {256, 0.0}, {384, -0.45}, {512, 0.0}}));
    define("lfo_pulse_hold", 256, 1,
           "A smooth outward pulse, sustained plateau, smaller opposite recoil, and rest.",
           keyframes(Keys{{0, 0.0}, {32, 0.8}, {128, 0.8}, {160, -0.35}, {192, 0.0}, {256, 0.0}},
                     std::nullopt));
    define("lfo_sweep_ratchet", 512, 2,
           "A slow lateral sweep followed by three decaying vertical ratchets; no reset jump.",
           sweep_ratchet);
    define("lfo_triplet_wobble", 512, 2,
           "Three rounded oscillations per two beats, breathing in depth over an eight-beat "
           "phrase.",
           kgen::formula(triplet_wobble));
    define("lfo_breathing_orbit", 512, 2,
           "A closed ellipse expands and contracts twice during its eight-beat revolution.",
           kgen::formula(breathing_orbit));
    define("lfo_seeded_drift", 1024, 2,
           "Two independently seeded smooth random lanes; irregular-looking but exactly "
           "periodic and seekable.",
           seeded_drift);
    define("lfo_pendulum_dwell", 512, 2,
           "Rounded saturation slows the pendulum near either side; a shallow arc connects "
           "the turns.",
           kgen::formula(pendulum_dwell));
    define("lfo_reverse_swell", 512, 2,
           "A long anticipatory rise, quick softened return, and two diminishing aftershocks.",
           keyframes(Keys{{0, 0.0}, {192, -0.24}, {224, 0.24}, {384, 0.0}, {512, 0.0}},
                     Keys{{0, 0.0}, {192, -0.82}, {224, 0.0}, {256, -0.38}, {288, 0.0},
                          {320, -0.18}, {352, 0.0}, {512, 0.0}}));
}
