// orbit: an ellipse with one horizontal and one vertical harmonic ripple. orbit_harmonic_NN
// is a member number; each row gives the ripple's harmonic h, its depth k and phase phi
// (the vertical ripple runs one harmonic higher, against the phase).
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int h;
    double k;
    double phi;
};

constexpr Member kMembers[] = {
    {2, 0.18, 0.0}, {3, 0.22, 0.0}, {4, 0.25, 0.0}, {5, 0.28, 0.0},
    {6, 0.25, 0.0}, {7, 0.20, 0.0}, {8, 0.15, 0.0}, {9, 0.13, 0.0},
    {2, 0.34, 0.5}, {3, 0.31, 0.8}, {4, 0.29, 1.1}, {5, 0.26, 1.4},
    {6, 0.23, 1.7}, {7, 0.20, 2.0}, {8, 0.17, 2.3}, {9, 0.14, 2.6},
};

constexpr const char* kDescription =
    "An ellipse combined with unequal horizontal and vertical harmonic ripples.";

}  // namespace

KGEN_FAMILY(orbit, .peak_low = 0.82, .peak_high = 0.82, .step = 0.021) {
    int number = 1;
    for (const Member& m : kMembers) {
        const std::string name = "orbit_harmonic_" + kgen::two_digits(number++);
        kgen::define(name, 512, 2, kDescription, [m](const kgen::Record& r) {
            kgen::Block block = kgen::sample_theta(r.period, [m](double t) {
                kgen::Sample s;
                s.x = std::cos(t) + m.k * std::cos(m.h * t + m.phi);
                s.y = 0.72 * std::sin(t) - m.k * std::sin((m.h + 1) * t - m.phi);
                return s;
            });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
