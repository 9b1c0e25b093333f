// braid: a point riding the surface of a tube. For braid_a_b the tube's centreline is a
// circle, tilted a little out of the plane, that the point goes round a times per period,
// while the point rolls round the tube's (elliptical) cross-section b times, so its
// distance from the axis swells b times; a second, faster ripple adds to the depth.
// Scaled to peak 0.82.
#include <cmath>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

struct Braid {
    const char* suffix;
    int a;           // turns round the centreline circle
    int b;           // rolls round the cross-section
    double radial;   // cross-section half-width across the circle (the circle's radius is 1)
    double depth;    // cross-section half-height in depth
    double tilt;     // depth offset of the centreline, once per turn
    int ripple;      // cycles of the second depth ripple
    double ripple_amp;
    double ripple_phase;
};

// Both the circle and the roll start at their widest, so the peak lies on x at pip 0 and
// the fastest step stays a times the peak's share of the circle: the step bound holds for
// five turns too.
const std::vector<Braid>& members() {
    static const std::vector<Braid> list = {
        {"1_2", 1, 2, 0.3, 0.5, 0.12, 5, 0.08, 0.3},
        {"1_3", 1, 3, 0.26, 0.42, 0.15, 7, 0.07, 1.1},
        {"1_4", 1, 4, 0.22, 0.45, 0.1, 9, 0.06, 2.0},
        {"1_5", 1, 5, 0.18, 0.4, 0.14, 8, 0.07, 0.6},
        {"2_3", 2, 3, 0.28, 0.36, 0.12, 8, 0.08, 1.7},
        {"2_5", 2, 5, 0.16, 0.42, 0.1, 9, 0.06, 0.9},
        {"3_4", 3, 4, 0.25, 0.32, 0.1, 11, 0.05, 2.4},
        {"3_5", 3, 5, 0.2, 0.38, 0.12, 7, 0.07, 0.2},
        {"1_6", 1, 6, 0.15, 0.36, 0.16, 10, 0.05, 1.4},
        {"2_7", 2, 7, 0.13, 0.34, 0.12, 11, 0.05, 2.9},
        {"3_7", 3, 7, 0.16, 0.35, 0.1, 13, 0.04, 0.5},
        {"4_5", 4, 5, 0.24, 0.3, 0.08, 9, 0.06, 1.2},
        {"4_7", 4, 7, 0.18, 0.32, 0.1, 11, 0.05, 2.2},
        {"5_6", 5, 6, 0.22, 0.28, 0.08, 13, 0.04, 0.8},
        {"5_7", 5, 7, 0.2, 0.3, 0.1, 12, 0.05, 1.9},
        {"5_8", 5, 8, 0.16, 0.3, 0.09, 13, 0.04, 2.6},
    };
    return list;
}

kgen::Sample point(const Braid& t, double th) {
    const double r = 1.0 + t.radial * std::cos(t.b * th);
    const double z = t.tilt * std::cos(t.a * th + 0.9) + t.depth * std::sin(t.b * th) +
                     t.ripple_amp * std::sin(t.ripple * th + t.ripple_phase);
    return {r * std::cos(t.a * th), r * std::sin(t.a * th), z};
}

constexpr const char* kDescription =
    "An offset tube centreline and a rolling cross-section with a second depth ripple.";

}  // namespace

KGEN_FAMILY(braid, .peak_low = 0.8198, .peak_high = 0.82, .step = 0.026) {
    for (const Braid& t : members()) {
        const std::string name = std::string("braid_") + t.suffix;
        kgen::define(name, 1024, 3, kDescription, [t](const kgen::Record& r) {
            kgen::Block block =
                kgen::sample_theta(r.period, [&](double th) { return point(t, th); });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
