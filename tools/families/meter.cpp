// meter: additive meters as pulse scores. meter_g1_g2_... is a sequence of groups of g
// eighth notes (32 pips each); each group start leans alternately right and left, and every
// other eighth note is a small down-and-forward tick that keeps the grid audible.
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

constexpr int kEighth = 32;

constexpr const char* kDescription =
    "Group starts lean alternately left and right; quieter subdivisions mark the eighth-note "
    "grid.";

const std::vector<std::vector<int>> kMembers = {
    {2, 3},       {3, 2},       {3, 2, 2},    {2, 3, 2},       {3, 4},      {4, 3},
    {2, 2, 2, 3}, {2, 3, 2, 2}, {3, 2, 3, 2}, {3, 3, 2, 3},    {2, 2, 3, 2, 3},
    {3, 3, 3, 2}, {4, 3, 3},    {3, 4, 4},    {2, 3, 3, 2, 3}, {3, 3, 3, 4},
};

}  // namespace

KGEN_FAMILY(meter, .peak_low = 0.72, .peak_high = 0.72, .step = 0.059) {
    for (const std::vector<int>& groups : kMembers) {
        std::string name = "meter";
        int eighths = 0;
        for (const int g : groups) {
            name += "_" + std::to_string(g);
            eighths += g;
        }
        kgen::define(name, kEighth * eighths, 3, kDescription, [groups](const kgen::Record& r) {
            std::vector<kgen::Pulse> score;
            std::vector<bool> starts_group(static_cast<std::size_t>(r.period / kEighth), false);
            int eighth = 0;
            for (std::size_t i = 0; i < groups.size(); ++i) {
                starts_group[static_cast<std::size_t>(eighth)] = true;
                const double side = i % 2 == 0 ? 0.72 : -0.72;
                score.push_back({static_cast<double>(kEighth * eighth), 19.2, {side, -0.33, 0.0}});
                eighth += groups[i];
            }
            for (std::size_t e = 0; e < starts_group.size(); ++e) {
                if (!starts_group[e]) {
                    score.push_back({static_cast<double>(kEighth * static_cast<int>(e)),
                                     32.0 / 3.0, {0.0, -0.1134, 0.0504}});
                }
            }
            return kgen::pulse_score(r.period, score);
        });
    }
}
