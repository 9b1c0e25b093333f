// path: closed two- and three-axis curves over eight or sixteen beats. The numbers in
// path_lissajous_2_3 are its cycle counts on x and y, those of path_rose_4 and
// path_rose_5 the petal counts. Formula members are taken as they are (no scaling).
#include <cmath>

#include "gen/kgen.hpp"

namespace {

using kgen::Sample;

Sample lissajous_2_3(double t) { return {0.78 * std::sin(2.0 * t), 0.68 * std::sin(3.0 * t), 0.0}; }

Sample rose_4(double t) {
    return {0.82 * std::cos(2.0 * t) * std::cos(t), 0.82 * std::cos(2.0 * t) * std::sin(t), 0.0};
}

// An odd rose closes after half a turn of its parameter, so the period spans theta / 2.
Sample rose_5(double t) {
    return {0.82 * std::cos(5.0 * t / 2.0) * std::cos(t / 2.0),
            0.82 * std::cos(5.0 * t / 2.0) * std::sin(t / 2.0), 0.0};
}

Sample bowed_diamond(double t) {
    const double c = std::cos(t);
    const double s = std::sin(t);
    return {0.8 * (c * c * c), 0.8 * (s * s * s), 0.0};
}

Sample torus_knot(double t) {
    const double radius = 0.54 + 0.22 * std::cos(3.0 * t);
    return {radius * std::cos(2.0 * t), radius * std::sin(2.0 * t), 0.36 * std::sin(3.0 * t)};
}

Sample woven_3d(double t) {
    return {0.72 * std::sin(2.0 * t), 0.64 * std::sin(3.0 * t), 0.48 * std::sin(5.0 * t)};
}

// Orbit dwell: the phase runs as u - sin u, whose speed 1 - cos u falls to zero at u = 0
// (the right-hand end of the ellipse) and peaks at twice the mean on the far side.
Sample orbit_dwell(double t) {
    const double phase = t - std::sin(t);
    return {0.8 * std::cos(phase), 0.55 * std::sin(phase), 0.0};
}

// Crank-slider with crank radius 1 and rod length 3: the slider sits at
// r cos t + sqrt(l^2 - r^2 sin^2 t), between l - r and l + r, centred on l; y is the crank
// tip's height. Both axes share one scale, which keeps the geometry.
constexpr double kCrank = 1.0;
constexpr double kRod = 3.0;

Sample crank_slider(double t) {
    const double s = std::sin(t);
    const double slider = kCrank * std::cos(t) + std::sqrt(kRod * kRod - kCrank * kCrank * s * s);
    return {slider - kRod, kCrank * s, 0.0};
}

}  // namespace

KGEN_FAMILY(path, .peak_low = 0.72, .peak_high = 0.82, .step = 0.026) {
    using kgen::define;
    define("path_lissajous_2_3", 512, 2,
           "Two horizontal cycles cross three vertical cycles in a closed eight-beat Lissajous "
           "path.",
           kgen::formula(lissajous_2_3));
    define("path_rose_4", 512, 2,
           "A signed radial oscillation draws four petals, passing through the centre between "
           "them.",
           kgen::formula(rose_4));
    define("path_rose_5", 512, 2,
           "Five petals in one complete eight-beat traversal; the odd-petal parameter runs "
           "through pi, not two pi.",
           kgen::formula(rose_5));
    define("path_bowed_diamond", 512, 2,
           "An astroid-shaped loop with inward-curved edges and naturally slow corners.",
           kgen::formula(bowed_diamond));
    define("path_orbit_dwell", 512, 2,
           "An ellipse whose phase slows to zero speed at the loop boundary and accelerates "
           "through the opposite side.",
           kgen::formula(orbit_dwell));
    define("path_torus_knot", 1024, 3,
           "Two turns around the axis and three through the tube. XYZ is retained; the demo "
           "projects depth.",
           kgen::formula(torus_knot));
    define("path_woven_3d", 1024, 3,
           "Independent two-, three-, and five-cycle XYZ oscillations close after sixteen "
           "beats.",
           kgen::formula(woven_3d));
    define("path_crank_slider", 256, 2,
           "Horizontal slider-crank travel with rod length three and crank radius one; "
           "vertical motion follows the crank tip.",
           [](const kgen::Record& r) {
               kgen::Block block = kgen::sample_theta(r.period, crank_slider);
               kgen::scale_to_peak(block, 0.8);
               return block;
           });
}
