// spline: smooth closed loops through a named set of control points (x lateral, y vertical,
// z depth). The loop is a periodic cubic Hermite curve: each segment lasts its own time,
// and each tangent comes from the neighbouring points with those unequal times, wrapping
// round so that the seam is as smooth as any other joint. The suffix names the figure the
// controls draw; the second eight lift some controls into depth. Scaled to peak 0.82.
#include <cmath>
#include <string>
#include <vector>

#include "gen/curves.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::Sample;

struct Spline {
    const char* suffix;
    std::vector<Sample> controls;
    // Segment i lasts in proportion to (reach + chord length) * (1 + lilt sin(2.4 i + phase)),
    // so longer chords get more time and the rest is deliberately uneven.
    double reach;
    double lilt;
    double phase;
};

// A five-pointed star with arms of unequal length and unevenly spaced points.
std::vector<Sample> star(double z_lift) {
    const double outer[5] = {0.86, 0.66, 0.8, 0.58, 0.74};
    const double inner[5] = {0.3, 0.4, 0.33, 0.42, 0.27};
    const double skew[5] = {0.0, 0.12, -0.08, 0.1, -0.05};
    std::vector<Sample> points;
    for (int i = 0; i < 5; ++i) {
        const double a = kgen::kPi / 2.0 + kgen::kTwoPi * (i + skew[i]) / 5.0;
        const double b = a + kgen::kPi / 5.0;
        points.push_back({outer[i] * std::cos(a), outer[i] * std::sin(a), z_lift * outer[i]});
        points.push_back({inner[i] * std::cos(b), inner[i] * std::sin(b), 0.0});
    }
    return points;
}

const std::vector<Spline>& members() {
    static const std::vector<Spline> list = {
        {"kite", {{0.05, 0.85, 0.0}, {0.5, 0.28, 0.0}, {-0.04, -0.85, 0.0}, {-0.46, 0.32, 0.0}},
         0.3, 0.3, 0.0},
        {"hourglass",
         {{-0.6, 0.8, 0.0}, {0.62, 0.78, 0.0}, {0.12, 0.05, 0.0}, {0.66, -0.8, 0.0},
          {-0.58, -0.78, 0.0}, {-0.14, -0.02, 0.0}},
         0.25, 0.35, 1.0},
        {"hook",
         {{0.1, 0.85, 0.0}, {0.32, 0.4, 0.0}, {0.3, -0.35, 0.0}, {0.05, -0.8, 0.0},
          {-0.4, -0.7, 0.0}, {-0.55, -0.25, 0.0}, {-0.35, -0.38, 0.0}, {-0.12, -0.5, 0.0},
          {0.08, -0.3, 0.0}, {0.0, 0.5, 0.0}},
         0.2, 0.3, 2.0},
        {"crown",
         {{-0.7, -0.55, 0.0}, {0.72, -0.5, 0.0}, {0.8, 0.5, 0.0}, {0.4, 0.02, 0.0},
          {0.02, 0.78, 0.0}, {-0.36, 0.08, 0.0}, {-0.76, 0.6, 0.0}},
         0.25, 0.3, 0.5},
        {"bow",
         {{-0.8, 0.55, 0.0}, {0.0, 0.08, 0.0}, {0.8, 0.62, 0.0}, {0.74, -0.5, 0.0},
          {0.0, -0.1, 0.0}, {-0.82, -0.58, 0.0}},
         0.3, 0.35, 1.5},
        {"crooked_cross",
         {{0.16, 0.82, 0.0}, {0.2, 0.24, 0.0}, {0.8, 0.3, 0.0}, {0.78, -0.1, 0.0},
          {0.22, -0.16, 0.0}, {0.3, -0.8, 0.0}, {-0.08, -0.84, 0.0}, {-0.18, -0.2, 0.0},
          {-0.82, -0.12, 0.0}, {-0.8, 0.26, 0.0}, {-0.2, 0.2, 0.0}, {-0.24, 0.78, 0.0}},
         0.2, 0.25, 0.3},
        {"asymmetric_star", star(0.0), 0.25, 0.3, 2.5},
        {"scoop",
         {{-0.8, 0.45, 0.0}, {-0.6, -0.3, 0.0}, {-0.05, -0.76, 0.0}, {0.5, -0.48, 0.0},
          {0.8, 0.32, 0.0}, {0.42, 0.14, 0.0}, {-0.35, 0.12, 0.0}},
         0.3, 0.3, 0.8},
        {"rising_kite",
         {{0.05, 0.85, 0.62}, {0.5, 0.28, 0.1}, {-0.04, -0.85, -0.6}, {-0.46, 0.32, 0.22}},
         0.3, 0.25, 2.2},
        {"twisted_bow",
         {{-0.8, 0.55, 0.5}, {0.0, 0.08, 0.0}, {0.8, 0.62, -0.5}, {0.74, -0.5, -0.45},
          {0.0, -0.1, 0.0}, {-0.82, -0.58, 0.55}},
         0.3, 0.3, 0.4},
        {"cup",
         {{-0.65, 0.5, 0.0}, {0.0, 0.45, 0.6}, {0.65, 0.5, 0.0}, {0.42, -0.25, -0.2},
          {0.0, -0.62, -0.3}, {-0.42, -0.25, -0.2}},
         0.3, 0.3, 1.2},
        {"bridge",
         {{-0.85, -0.3, 0.0}, {-0.45, 0.35, 0.3}, {0.0, 0.62, 0.45}, {0.45, 0.35, 0.3},
          {0.85, -0.3, 0.0}, {0.4, -0.1, -0.22}, {-0.4, -0.12, -0.2}},
         0.25, 0.3, 2.8},
        {"double_bay",
         {{-0.8, 0.5, 0.0}, {-0.45, -0.1, 0.3}, {-0.1, 0.5, 0.0}, {0.3, -0.25, -0.35},
          {0.75, 0.45, 0.0}, {0.7, -0.7, 0.1}, {-0.75, -0.7, -0.1}},
         0.25, 0.3, 0.1},
        {"slanted_loop",
         {{0.8, 0.1, 0.5}, {0.3, 0.6, 0.2}, {-0.4, 0.5, -0.25}, {-0.78, -0.05, -0.5},
          {-0.2, -0.6, -0.12}, {0.45, -0.45, 0.3}},
         0.3, 0.3, 1.9},
        {"fork",
         {{0.06, -0.85, 0.0}, {0.1, -0.1, 0.0}, {0.45, 0.1, 0.1}, {0.42, 0.8, 0.3},
          {0.26, 0.15, 0.1}, {0.05, 0.82, 0.38}, {-0.12, 0.15, 0.1}, {-0.35, 0.8, 0.3},
          {-0.42, 0.1, 0.1}, {-0.1, -0.1, 0.0}, {-0.06, -0.85, 0.0}},
         0.2, 0.25, 0.7},
        {"folded_crown",
         {{-0.7, -0.55, 0.0}, {0.72, -0.5, 0.0}, {0.8, 0.5, 0.45}, {0.4, 0.02, 0.0},
          {0.02, 0.78, -0.5}, {-0.36, 0.08, 0.0}, {-0.76, 0.6, 0.45}},
         0.25, 0.3, 1.6},
    };
    return list;
}

std::vector<double> durations(const Spline& s, int period) {
    const std::size_t n = s.controls.size();
    std::vector<double> d(n);
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const Sample c = kgen::curve::sub(s.controls[(i + 1) % n], s.controls[i]);
        const double chord = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
        const double lilt = 1.0 + s.lilt * std::sin(2.4 * static_cast<double>(i) + s.phase);
        d[i] = (s.reach + chord) * lilt;
        total += d[i];
    }
    double used = 0.0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        d[i] = d[i] * period / total;
        used += d[i];
    }
    d[n - 1] = period - used;  // the last segment closes the period exactly
    return d;
}

// The splines with a control point lifted into depth.
int dimensions(const Spline& s) {
    for (const Sample& c : s.controls) {
        if (c.z != 0.0) {
            return 3;
        }
    }
    return 2;
}

constexpr const char* kDescription =
    "Periodic cubic tangents connect asymmetrical controls with unequal segment times.";

}  // namespace

KGEN_FAMILY(spline, .peak_low = 0.8197, .peak_high = 0.82, .step = 0.034) {
    for (const Spline& s : members()) {
        const std::string name = std::string("spline_") + s.suffix;
        kgen::define(name, 512, dimensions(s), kDescription, [s](const kgen::Record& r) {
            kgen::Block block =
                kgen::curve::hermite_loop(r.period, s.controls, durations(s, r.period));
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
