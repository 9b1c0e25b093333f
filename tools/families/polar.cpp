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

}  // namespace

KGEN_FAMILY(polar) {
    for (const int n : kRoses) {
        kgen::define("polar_rose_" + std::to_string(n), [n](const kgen::Record& r) {
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
        kgen::define("polar_scallop_" + std::to_string(n), [n](const kgen::Record& r) {
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
