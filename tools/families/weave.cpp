// weave: a closed sixteen-beat traversal of a horizontal cycles against b vertical ones.
// weave_a_b: a and b are the cycle counts on x and y over the period; x leads by a fixed
// phase so that the path does not start on a crossing.
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int a;
    int b;
};

constexpr Member kMembers[] = {
    {1, 3}, {1, 4}, {1, 5}, {2, 5}, {2, 7}, {3, 4}, {3, 5}, {3, 7},
    {3, 8}, {4, 5}, {4, 7}, {4, 9}, {5, 6}, {5, 7}, {5, 8}, {5, 9},
};

}  // namespace

KGEN_FAMILY(weave, .peak_low = 0.82, .peak_high = 0.82, .step = 0.037) {
    for (const Member& m : kMembers) {
        const std::string a = std::to_string(m.a);
        const std::string b = std::to_string(m.b);
        const std::string description = a + " horizontal and " + b +
                                        " vertical cycles; a phase-offset, closed 16-beat "
                                        "traversal.";
        kgen::define("weave_" + a + "_" + b, 1024, 2, description, [m](const kgen::Record& r) {
            kgen::Block block = kgen::sample_theta(r.period, [m](double t) {
                kgen::Sample s;
                s.x = std::sin(m.a * t + 0.37);
                s.y = 0.8125 * std::sin(m.b * t);
                return s;
            });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
