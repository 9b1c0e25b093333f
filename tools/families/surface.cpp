// surface: a path over a sphere-like surface whose radius breathes three times per period.
// surface_a_b_kind: a longitude turns and b latitude swings per period; low keeps the
// latitude swing shallow, wide lets it reach toward the poles (the amplitude per row).
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int a;
    int b;
    double low;
    double wide;
};

constexpr Member kMembers[] = {
    {1, 2, 0.5, 1.1},  {1, 3, 0.65, 1.2}, {1, 4, 0.8, 1.0}, {1, 5, 0.55, 1.25},
    {2, 3, 0.6, 1.15}, {2, 5, 0.75, 1.0}, {3, 4, 0.5, 1.2}, {3, 5, 0.7, 1.05},
};

constexpr const char* kDescription =
    "A varying-radius surface path with coupled longitude and latitude; all three coordinates "
    "are retained.";

void define_member(const Member& m, const char* kind, double L) {
    const std::string name =
        "surface_" + std::to_string(m.a) + "_" + std::to_string(m.b) + "_" + kind;
    kgen::define(name, 1024, 3, kDescription, [m, L](const kgen::Record& rec) {
        kgen::Block block = kgen::sample_theta(rec.period, [m, L](double t) {
            const double r = 1 + 0.15 * std::cos(3 * t);
            const double mu = m.a * t + 0.22 * std::sin(2 * t);
            const double lambda = L * std::sin(m.b * t + 0.17 * std::sin(t));
            kgen::Sample s;
            s.x = r * std::cos(lambda) * std::cos(mu);
            s.y = r * std::cos(lambda) * std::sin(mu);
            s.z = r * std::sin(lambda);
            return s;
        });
        kgen::scale_to_peak(block, 0.82);
        return block;
    });
}

}  // namespace

KGEN_FAMILY(surface, .peak_low = 0.82, .peak_high = 0.82, .step = 0.033) {
    for (const Member& m : kMembers) {
        define_member(m, "low", m.low);
    }
    for (const Member& m : kMembers) {
        define_member(m, "wide", m.wide);
    }
}
