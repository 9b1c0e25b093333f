// wave: one-axis control waves over eight beats (512 pips), mapped to x, each scaled so
// that its peak is exactly 0.82. Four members are closed formulas of theta = 2 pi p / P;
// the others are shaped from a sine (warped, folded, saturated, rectified), from smooth
// quintic ramps or from raised-cosine humps, one parameter row per member. No number in
// these names is a count; "double" and "triple" are the fold and tooth counts.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "gen/kgen.hpp"

namespace {

using kgen::kPi;
using kgen::kTwoPi;

// ---- closed formulas ---------------------------------------------------------------------

double pinched(double t) {
    const double s = std::sin(t);
    return 0.82 * (s * s * s);
}
double notched(double t) { return std::sin(t) - 0.36 * std::sin(3.0 * t) + 0.12 * std::cos(5.0 * t); }
double reed(double t) { return std::sin(t) * (0.85 + 0.4 * std::cos(7.0 * t)); }
double ripple_return(double t) {
    return std::sin(t) + 0.09 * std::sin(5.0 * t) * (1.0 + std::cos(t));
}

// ---- shaping pieces ----------------------------------------------------------------------

// A wavefolder with rounded corners: a triangle fold of u (period 4, slope 1 between the
// folds), its turns softened by k < 1 so that the fold reads as a curve, not a kink.
double soft_fold(double u, double k) { return std::asin(k * std::sin(kPi * u / 2.0)); }

// Smooth ramp from 0 to 1 between phase fractions a and b.
double ramp(double u, double a, double b) {
    return kgen::quintic(std::clamp((u - a) / (b - a), 0.0, 1.0));
}

// sin^2 hump over the phase fractions [a, b], zero outside.
double hump(double u, double a, double b) {
    if (u <= a || u >= b) {
        return 0.0;
    }
    const double s = std::sin(kPi * (u - a) / (b - a));
    return s * s;
}

// A rounded tooth per turn of phi: a cosine rise over the fraction 1 - fall of the turn,
// then a cosine fall over the rest; the slope is zero at both joins.
double tooth(double phi, double fall) {
    const double ph = std::fmod(phi, kTwoPi) / kTwoPi;
    const double rise = 1.0 - fall;
    const double w = ph < rise ? kPi * ph / rise : kPi + kPi * (ph - rise) / fall;
    return -std::cos(w);
}

// ---- shaped members: the shape and its parameters ------------------------------------------

enum class Shape {
    shoulder,   // sin(t + a/4 sin 4t): the phase lingers at mid-flank, making shoulders
    fold,       // soft_fold(a sin(t + c sin t), b): a > 1 folds once, a > 3 twice
    saturate,   // tanh(a sin t)
    rectify,    // sqrt(sin^2 t + a^2) - a: a rectified sine with rounded valleys
    skew,       // sin(t + a sin t): fast rise, long fall
    ramps,      // sum of quintic ramps (a, b, c, d are the ramp heights, see the rows)
    bottle,     // broad hump, a narrow neck on its crest, shallow trough
    crests,     // sin 2t + a sin t: two crests of unequal height
    teeth,      // tooth(3t, a): three rounded saw teeth
};

struct Member {
    Shape shape;
    double a;
    double b;
    double c;
};

// The two ramp members, as (start, end, height) rows of quintic ramps that add up to a
// closed loop (the heights sum to zero).
struct Ramp {
    double a;
    double b;
    double height;
};
constexpr Ramp kScoop[] = {{0.0, 0.45, 1.0}, {0.45, 0.7, -1.6}, {0.7, 1.0, 0.6}};
constexpr Ramp kShelf[] = {
    {0.0, 0.15, 0.5}, {0.35, 0.5, 0.5}, {0.55, 0.75, -1.7}, {0.8, 1.0, 0.7}};

double authored(const Member& m, double t) {
    const double u = t / kTwoPi;
    switch (m.shape) {
        case Shape::shoulder:
            return std::sin(t + m.a / 4.0 * std::sin(4.0 * t));
        case Shape::fold:
            return soft_fold(m.a * std::sin(t + m.c * std::sin(t)), m.b);
        case Shape::saturate:
            return std::tanh(m.a * std::sin(t));
        case Shape::rectify: {
            const double s = std::sin(t);
            return std::sqrt(s * s + m.a * m.a) - m.a;
        }
        case Shape::skew:
            return std::sin(t + m.a * std::sin(t));
        case Shape::ramps: {
            double v = 0.0;
            if (m.a == 0.0) {
                for (const Ramp& r : kScoop) v += r.height * ramp(u, r.a, r.b);
            } else {
                for (const Ramp& r : kShelf) v += r.height * ramp(u, r.a, r.b);
            }
            return v;
        }
        case Shape::bottle: {
            const double d = u - 0.25;  // the neck stands on the middle of the body
            const double neck = std::fabs(d) < 0.07 ? (1.0 + std::cos(kPi * d / 0.07)) / 2.0 : 0.0;
            return m.a * hump(u, 0.0, 0.5) + m.b * neck - m.c * hump(u, 0.5, 1.0);
        }
        case Shape::crests:
            return std::sin(2.0 * t) + m.a * std::sin(t);
        case Shape::teeth:
            return tooth(3.0 * t, m.a);
    }
    return 0.0;
}

kgen::Block one_axis(int period, double (*f)(double)) {
    return kgen::sample_theta(period, [f](double t) { return kgen::Sample{f(t), 0.0, 0.0}; });
}

kgen::Maker closed(double (*f)(double)) {
    return [f](const kgen::Record& r) {
        kgen::Block block = one_axis(r.period, f);
        kgen::scale_to_peak(block, 0.82);
        return block;
    };
}

kgen::Maker shaped(Member m) {
    return [m](const kgen::Record& r) {
        kgen::Block block = kgen::sample_theta(
            r.period, [&m](double t) { return kgen::Sample{authored(m, t), 0.0, 0.0}; });
        kgen::scale_to_peak(block, 0.82);
        return block;
    };
}

void wave(const char* suffix, const char* title, kgen::Maker maker) {
    kgen::define(std::string("wave_") + suffix, 512, 1,
                 std::string(title) +
                     "; a continuous shaped control wave, mapped to horizontal displacement.",
                 std::move(maker));
}

}  // namespace

KGEN_FAMILY(wave, .peak_low = 0.82, .peak_high = 0.82, .step = 0.044) {
    // pinched peaks at 0.82 by itself and is taken as it is.
    wave("pinched", "Pinched sine",
         [](const kgen::Record& r) { return one_axis(r.period, pinched); });
    wave("shouldered", "Shouldered sine", shaped({Shape::shoulder, 0.9, 0.0, 0.0}));
    wave("folded", "Folded sine", shaped({Shape::fold, 1.8, 0.97, 0.0}));
    wave("double_fold", "Double-fold wave", shaped({Shape::fold, 3.3, 0.97, 0.0}));
    wave("rounded_square", "Rounded square", shaped({Shape::saturate, 3.0, 0.0, 0.0}));
    wave("soft_rectifier", "Soft rectified swell", shaped({Shape::rectify, 0.2, 0.0, 0.0}));
    wave("skew_warp", "Phase-skew sweep", shaped({Shape::skew, 0.6, 0.0, 0.0}));
    wave("scoop_warp", "Scooped return", shaped({Shape::ramps, 0.0, 0.0, 0.0}));
    wave("shelf_wave", "Shelf and scoop", shaped({Shape::ramps, 1.0, 0.0, 0.0}));
    wave("notched", "Notched crest", closed(notched));
    wave("bottle", "Bottle-neck swell", shaped({Shape::bottle, 0.55, 0.45, 0.4}));
    wave("reed", "Reed flutter", closed(reed));
    wave("unequal_peaks", "Unequal double crest", shaped({Shape::crests, 0.45, 0.0, 0.0}));
    wave("ripple_return", "Rippled recovery", closed(ripple_return));
    wave("soft_teeth", "Soft triple teeth", shaped({Shape::teeth, 0.38, 0.0, 0.0}));
    wave("warped_fold", "Warped wave fold", shaped({Shape::fold, 1.6, 0.97, 0.55}));
}
