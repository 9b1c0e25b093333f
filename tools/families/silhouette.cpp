// silhouette: three unequal harmonics p, q and r per axis, crossed between x and y with
// small phase offsets, and a small depth term linked to p + q. silhouette_harmonic_NN is a
// member number; each row gives p, q, r and the weights b and c of the second and third
// harmonics. The peak is measured on a grid twice as fine as the pips, so the stored peak
// may fall just short of the target.
#include <cmath>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int p;
    int q;
    int r;
    double b;
    double c;
};

constexpr Member kMembers[] = {
    {1, 2, 3, 0.20, 0.16}, {1, 3, 5, 0.35, 0.12}, {2, 3, 4, 0.30, 0.18}, {2, 5, 7, 0.23, 0.16},
    {1, 4, 7, 0.35, 0.21}, {3, 4, 5, 0.28, 0.14}, {2, 7, 9, 0.19, 0.12}, {3, 5, 8, 0.30, 0.17},
    {1, 2, 5, 0.40, 0.22}, {1, 5, 8, 0.27, 0.24}, {2, 3, 7, 0.34, 0.20}, {3, 7, 10, 0.26, 0.16},
    {2, 4, 9, 0.33, 0.23}, {3, 4, 9, 0.29, 0.25}, {4, 5, 7, 0.25, 0.21}, {4, 7, 11, 0.21, 0.16},
};

kgen::Sample curve(const Member& m, double t) {
    kgen::Sample s;
    s.x = std::cos(m.p * t) + m.b * std::sin(m.q * t + 0.3) + m.c * std::cos(m.r * t);
    s.y = 0.65 * std::sin(m.p * t + 0.2) + m.c * std::sin(m.q * t) - m.b * std::cos(m.r * t + 0.1);
    s.z = 0.12 * std::sin(t) * std::sin((m.p + m.q) * t);
    return s;
}

constexpr const char* kDescription =
    "Three unequal harmonic components, with cross-axis phases and a small linked depth term.";

}  // namespace

KGEN_FAMILY(silhouette, .peak_low = 0.8199, .peak_high = 0.82, .step = 0.028) {
    int number = 0;
    for (const Member& m : kMembers) {
        const std::string name = "silhouette_harmonic_" + kgen::two_digits(++number);
        kgen::define(name, 1024, 3, kDescription, [m](const kgen::Record& rec) {
            const auto f = [m](double t) { return curve(m, t); };
            kgen::Block block = kgen::sample_theta(rec.period, f);
            kgen::scale_to_peak_fine(block, 0.82, rec.period, f);
            return block;
        });
    }
}
