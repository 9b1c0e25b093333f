// polar: curves drawn by a radius that varies with the angle.
// polar_rose_n: a signed-radius rose of n petals; an odd rose closes after half a turn of
// its parameter, so it runs at half angle to cover its petals once per period.
// polar_scallop_n: a positive radius with n lobes, bent by a slow phase wobble.
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

constexpr int kRoses[] = {3, 6, 7, 8, 9, 10, 11, 12};
constexpr int kScallops[] = {2, 3, 4, 5, 6, 7, 8, 9};

constexpr const char* kRoseDescription =
    "A complete signed-radius rose traversal; odd-petal roses use a half-turn parameter.";
constexpr const char* kScallopDescription =
    "A positive-radius scalloped loop; no centre crossings, with an asymmetrically bent lobe.";

}  // namespace

KGEN_FAMILY(polar, .peak_low = 0.82, .peak_high = 0.82, .step = 0.030) {
    for (const int n : kRoses) {
        const std::string name = "polar_rose_" + std::to_string(n);
        kgen::define(name, 1024, 2, kRoseDescription, [n](const kgen::Record& r) {
            kgen::Block block = kgen::sample_theta(r.period, [n](double t) {
                kgen::Sample s;
                const double radius = std::cos(n * t / 2);
                if (n % 2 != 0) {
                    s.x = radius * std::cos(t / 2);
                    s.y = radius * std::sin(t / 2);
                } else {
                    s.x = radius * std::cos(t);
                    s.y = radius * std::sin(t);
                }
                return s;
            });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
    for (const int n : kScallops) {
        const std::string name = "polar_scallop_" + std::to_string(n);
        kgen::define(name, 1024, 2, kScallopDescription, [n](const kgen::Record& r) {
            // Already within the family's peak by construction: stored unscaled.
            return kgen::sample_theta(r.period, [n](double t) {
                kgen::Sample s;
                const double radius = 0.58 + 0.24 * std::cos(n * t + 0.2 * std::sin(t));
                s.x = radius * std::cos(t);
                s.y = radius * std::sin(t);
                return s;
            });
        });
    }
}
