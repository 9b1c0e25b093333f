// poly: two pulse trains sharing an eight-beat cycle. poly_a_b plays a evenly spaced
// onsets in the left lane against b in the right lane, whose gestures also move in depth;
// the first onset of each lane is the strong one, and at pip 0 the two lanes meet.
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int a;
    int b;
};

constexpr Member kMembers[] = {
    {2, 5}, {2, 7}, {2, 9}, {3, 5}, {3, 7}, {3, 8}, {3, 10}, {4, 5},
    {4, 7}, {4, 9}, {5, 6}, {5, 7}, {5, 8}, {5, 9}, {6, 7},  {7, 8},
};

double strength(int i) { return i == 0 ? 1.0 : 0.65; }

constexpr const char* kDescription =
    "Two independent pulse trains share an eight-beat boundary. Each right-lane gesture "
    "includes depth.";

}  // namespace

KGEN_FAMILY(poly, .peak_low = 0.52, .peak_high = 0.52, .step = 0.057) {
    for (const Member& m : kMembers) {
        const std::string name = "poly_" + std::to_string(m.a) + "_" + std::to_string(m.b);
        kgen::define(name, 512, 3, kDescription, [m](const kgen::Record& r) {
            const double P = r.period;
            std::vector<kgen::Pulse> score;
            for (int i = 0; i < m.a; ++i) {
                const double f = strength(i);
                score.push_back({P * i / m.a, 22.4, {-0.62 * f, -0.26 * f, 0.0}});
            }
            for (int j = 0; j < m.b; ++j) {
                const double f = strength(j);
                score.push_back({P * j / m.b, 22.4, {0.62 * f, -0.26 * f, 0.22 * f}});
            }
            return kgen::pulse_score(r.period, score);
        });
    }
}
