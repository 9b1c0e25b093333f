// ribbon: a point riding a ribbon laid along an elliptical spine. For ribbon_a_b_kind the
// spine is travelled a times per period, the ribbon's radial width swells and narrows b
// times per period, and the depth deflection follows the width (deflected forward where
// the ribbon is wide, back where it is narrow). slim keeps width and depth small, deep
// large. Scaled so the peak magnitude is 0.82.
#include <cmath>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

struct Ribbon {
    int a;          // spine cycles
    int b;          // width swells
    double minor;   // spine minor axis (y) relative to the major (x); negative runs clockwise
    double width;   // relative radial width swing
    double depth;   // depth deflection relative to the major axis
};

struct Member {
    const char* suffix;
    Ribbon shape;
};

// The width and the spine both peak at theta = 0, so the magnitude peak lies on the major
// axis and the fastest spine speed stays a times that peak: the step bound holds for the
// three-cycle spines too.
const std::vector<Member>& members() {
    static const std::vector<Member> list = {
        {"1_2_slim", {1, 2, 0.5, 0.06, 0.14}},    {"1_3_slim", {1, 3, -0.62, 0.05, 0.12}},
        {"1_4_slim", {1, 4, 0.74, 0.045, 0.1}},   {"1_5_slim", {1, 5, -0.42, 0.04, 0.09}},
        {"2_3_slim", {2, 3, 0.64, 0.05, 0.12}},   {"2_5_slim", {2, 5, -0.58, 0.04, 0.1}},
        {"3_4_slim", {3, 4, 0.66, 0.045, 0.11}},  {"3_5_slim", {3, 5, -0.6, 0.04, 0.09}},
        {"1_2_deep", {1, 2, -0.78, 0.3, 0.55}},   {"1_3_deep", {1, 3, 0.72, 0.28, 0.5}},
        {"1_4_deep", {1, 4, -0.66, 0.26, 0.48}},  {"1_5_deep", {1, 5, 0.84, 0.24, 0.42}},
        {"2_3_deep", {2, 3, -0.8, 0.28, 0.5}},    {"2_5_deep", {2, 5, 0.76, 0.2, 0.42}},
        {"3_4_deep", {3, 4, -0.8, 0.24, 0.46}},   {"3_5_deep", {3, 5, 0.78, 0.2, 0.4}},
    };
    return list;
}

kgen::Sample point(const Ribbon& s, double th) {
    const double swell = std::cos(s.b * th);
    const double r = 1.0 + s.width * swell;
    return {r * std::cos(s.a * th), s.minor * r * std::sin(s.a * th), s.depth * swell};
}

constexpr const char* kDescription =
    "A curved elliptical spine with variable radial width and linked depth deflection.";

}  // namespace

KGEN_FAMILY(ribbon, .peak_low = 0.82, .peak_high = 0.82, .step = 0.016) {
    for (const Member& m : members()) {
        const Ribbon shape = m.shape;
        const std::string name = std::string("ribbon_") + m.suffix;
        kgen::define(name, 1024, 3, kDescription, [shape](const kgen::Record& r) {
            kgen::Block block =
                kgen::sample_theta(r.period, [&](double th) { return point(shape, th); });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
