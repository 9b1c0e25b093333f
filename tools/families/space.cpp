// space: closed three-dimensional paths.
// space_torus_p_q: a torus knot winding p times around the axis and q times through the
// tube. space_weave_a_b_c: independent sine lanes making a, b and c cycles on x, y and z,
// each lane with its own phase so that they never start together.
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

struct Torus {
    int p;
    int q;
};

struct Weave {
    int a;
    int b;
    int c;
};

constexpr Torus kTori[] = {{2, 5}, {2, 7}, {3, 4}, {3, 5}, {3, 7}, {4, 5}, {4, 7}, {5, 6}};
constexpr Weave kWeaves[] = {{1, 2, 3}, {1, 3, 4}, {2, 3, 4}, {2, 3, 7},
                             {2, 5, 7}, {3, 4, 5}, {3, 5, 7}, {4, 5, 7}};

constexpr const char* kTorusDescription =
    "A genuine XYZ closed torus-knot trajectory. The demo uses an oblique projection.";
constexpr const char* kWeaveDescription =
    "Three coprime-frequency coordinate lanes with distinct phase offsets.";

}  // namespace

KGEN_FAMILY(space, .peak_low = 0.82, .peak_high = 0.82, .step = 0.026) {
    for (const Torus& m : kTori) {
        const std::string name = "space_torus_" + std::to_string(m.p) + "_" + std::to_string(m.q);
        kgen::define(name, 1024, 3, kTorusDescription, [m](const kgen::Record& r) {
            kgen::Block block = kgen::sample_theta(r.period, [m](double t) {
                kgen::Sample s;
                const double ring = 0.58 + 0.2 * std::cos(m.q * t);
                s.x = ring * std::cos(m.p * t);
                s.y = ring * std::sin(m.p * t);
                s.z = 0.42 * std::sin(m.q * t);
                return s;
            });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
    for (const Weave& m : kWeaves) {
        const std::string name = "space_weave_" + std::to_string(m.a) + "_" +
                                 std::to_string(m.b) + "_" + std::to_string(m.c);
        kgen::define(name, 1024, 3, kWeaveDescription, [m](const kgen::Record& r) {
            // x alone reaches 0.82, so the lanes are stored unscaled.
            return kgen::sample_theta(r.period, [m](double t) {
                kgen::Sample s;
                s.x = 0.82 * std::sin(m.a * t);
                s.y = 0.656 * std::sin(m.b * t + 0.4);
                s.z = 0.574 * std::sin(m.c * t + 0.7 + kgen::kPi / 2);
                return s;
            });
        });
    }
}
