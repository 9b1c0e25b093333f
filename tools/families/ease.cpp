// ease: one-axis easing loops over four beats (256 pips). Each curve e(t), t in [0, 1],
// runs outward over the first half (0 -> amplitude) and is mirrored back over the second,
// so the loop closes at rest. Three are the widely published easing formulas with their
// usual constants (bounce-out, back-in, back-out); the elastic one is our own.
#include <cmath>

#include "gen/kgen.hpp"

namespace {

// Bounce-out: four parabolic arcs landing on 1, with the customary breakpoints 4/11,
// 8/11 and 10/11 and the arc factor 121/16.
double bounce_out(double t) {
    constexpr double b1 = 4.0 / 11.0;
    constexpr double b2 = 6.0 / 11.0;
    constexpr double b3 = 8.0 / 11.0;
    constexpr double b4 = 3.0 / 4.0;
    constexpr double b5 = 9.0 / 11.0;
    constexpr double b6 = 10.0 / 11.0;
    constexpr double b7 = 15.0 / 16.0;
    constexpr double b8 = 21.0 / 22.0;
    constexpr double b9 = 63.0 / 64.0;
    constexpr double b0 = 1.0 / b1 / b1;
    if (t < b1) return b0 * t * t;
    if (t < b3) return b0 * (t - b2) * (t - b2) + b4;
    if (t < b6) return b0 * (t - b5) * (t - b5) + b7;
    return b0 * (t - b8) * (t - b8) + b9;
}

// Back easing with the customary overshoot constant: back-in dips below 0 before it
// leaves (the anticipation), back-out passes 1 before it settles (the overshoot).
constexpr double kBack = 1.70158;
double back_in(double t) { return t * t * ((kBack + 1.0) * t - kBack); }
double back_out(double t) { return 1.0 - back_in(1.0 - t); }

// Ours: a quintic glide to 1 with a decaying ripple laid on it; the sin(pi t) window
// keeps both ends exactly at 0 and 1, so the mirrored return joins without a step.
constexpr double kElasticRipple = 0.7;
constexpr double kElasticCycles = 2.5;
constexpr double kElasticDecay = 1.2;
double elastic(double t) {
    return kgen::quintic(t) + kElasticRipple * std::sin(kgen::kTwoPi * kElasticCycles * t) *
                                  std::exp(-kElasticDecay * t) * std::sin(kgen::kPi * t);
}

struct Member {
    const char* name;
    const char* description;
    double (*curve)(double);
    double amplitude;  // the outward target
    bool scale;        // scaled so that the stored peak is exactly the amplitude
};

constexpr const char* kAttributed =
    "An attributed D3 easing curve, assembled into a closed outward-and-return loop.";

constexpr Member kMembers[] = {
    {"ease_rebound", kAttributed, bounce_out, 0.8, false},
    {"ease_anticipate", kAttributed, back_in, 0.8, false},
    {"ease_overshoot", kAttributed, back_out, 0.8, true},
    {"ease_elastic",
     "Original windowed, decaying oscillation; not a copied D3 curve. Peak scaled to .8.",
     elastic, 0.8, true},
};

}  // namespace

KGEN_FAMILY(ease, .peak_low = 0.65, .peak_high = 0.8, .step = 0.057) {
    for (const Member& m : kMembers) {
        kgen::define(m.name, 256, 1, m.description, [m](const kgen::Record& r) {
            const int half = r.period / 2;
            kgen::Block block = kgen::sample_pips(r.period, [&](int p) {
                const int outward = p <= half ? p : r.period - p;
                const double t = static_cast<double>(outward) / static_cast<double>(half);
                return kgen::Sample{m.amplitude * m.curve(t), 0.0, 0.0};
            });
            if (m.scale) {
                kgen::scale_to_peak(block, m.amplitude);
            }
            return block;
        });
    }
}
