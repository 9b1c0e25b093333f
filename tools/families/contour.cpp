// contour: closed signed-power ovals. Each edge is a superellipse, x = sgn(cos t)|cos t|^(2/n)
// and y likewise with sin, so n = 2 is an ellipse and larger n squarer; a small ripple of m
// lobes runs round the edge and an off-centre bow bends the whole oval. shaped_09 … 16 add a
// depth term. The oval is travelled at an even pace along its arc (a squarish oval would
// otherwise rush along its sides), and scaled so its peak magnitude is 0.82.
#include <cmath>
#include <string>
#include <vector>

#include "gen/curves.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::curve::spow;

struct Contour {
    double n;         // superellipse exponent: edges are |cos|^(2/n)
    double aspect;    // height relative to width; negative runs clockwise
    double start;     // where on the edge pip 0 lies, as a fraction of the turn
    int ripple;       // lobes of the edge ripple
    double ripple_amp;
    double ripple_phase;
    double bow;       // bend of the oval, largest at its middle
    double lean;      // moves the bend towards one end, so the bow is asymmetric
    int depth_waves;  // depth rises and falls this many times round the edge (0: flat)
    double depth;
    double depth_phase;
};

const std::vector<Contour>& members() {
    static const std::vector<Contour> list = {
        {2.5, 0.72, 0.0, 5, 0.04, 0.0, 0.196, 0.45, 0, 0.0, 0.0},
        {3.0, -0.62, 0.25, 7, 0.035, 0.6, -0.252, 0.3, 0, 0.0, 0.0},
        {4.0, 0.8, 0.5, 9, 0.03, 1.1, 0.14, -0.5, 0, 0.0, 0.0},
        {5.0, -0.55, 0.0, 6, 0.045, 0.3, 0.28, 0.6, 0, 0.0, 0.0},
        {2.2, 0.9, 0.75, 11, 0.025, 2.0, -0.168, -0.4, 0, 0.0, 0.0},
        {3.5, -0.68, 0.6, 8, 0.04, 0.9, 0.224, -0.25, 0, 0.0, 0.0},
        {6.0, 0.75, 0.125, 13, 0.02, 0.4, -0.112, 0.55, 0, 0.0, 0.0},
        {4.5, 0.5, 0.375, 10, 0.03, 1.6, 0.308, 0.2, 0, 0.0, 0.0},
        {2.8, 0.7, 0.0, 6, 0.04, 0.2, 0.21, 0.35, 1, 0.45, 0.3},
        {3.2, -0.6, 0.3, 9, 0.03, 1.3, -0.196, -0.45, 2, 0.4, 0.0},
        {4.0, 0.85, 0.55, 7, 0.035, 0.7, 0.168, 0.5, 3, 0.3, 0.8},
        {5.5, -0.58, 0.8, 11, 0.025, 2.4, -0.28, 0.25, 2, 0.5, 1.2},
        {2.4, 0.78, 0.2, 8, 0.04, 0.5, 0.252, -0.6, 1, 0.6, 2.1},
        {3.8, -0.66, 0.45, 5, 0.05, 1.9, -0.14, 0.4, 3, 0.35, 0.4},
        {7.0, 0.72, 0.7, 12, 0.02, 0.1, 0.224, -0.3, 2, 0.3, 2.6},
        {4.8, 0.52, 0.9, 9, 0.035, 1.0, -0.308, -0.15, 1, 0.55, 1.7},
    };
    return list;
}

kgen::Sample point(const Contour& c, double u) {
    const double t = kgen::kTwoPi * (u + c.start);
    const double e = 2.0 / c.n;
    const double swell = 1.0 + c.ripple_amp * std::cos(c.ripple * t + c.ripple_phase);
    const double x = spow(std::cos(t), e) * swell;
    const double y0 = c.aspect * spow(std::sin(t), e) * swell;
    const double y = y0 + c.bow * (1.0 - x * x) * (1.0 + c.lean * x);
    const double z =
        c.depth_waves == 0 ? 0.0 : c.depth * std::sin(c.depth_waves * t + c.depth_phase);
    return {x, y, z};
}

constexpr const char* kDescription =
    "Signed-power oval edges with local ripples and an asymmetric bow.";

}  // namespace

KGEN_FAMILY(contour, .peak_low = 0.8199, .peak_high = 0.82, .step = 0.043) {
    int number = 0;
    for (const Contour& c : members()) {
        const std::string name = "contour_shaped_" + kgen::two_digits(++number);
        const int dimensions = c.depth_waves > 0 ? 3 : 2;
        kgen::define(name, 1024, dimensions, kDescription, [c](const kgen::Record& r) {
            kgen::Block block =
                kgen::curve::by_arc_length(r.period, [&](double u) { return point(c, u); });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
