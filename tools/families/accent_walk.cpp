// accent_walk: accent_walk_n_k is a four-bar grid (four beats a bar) of n evenly spaced
// pulses per bar, every pulse a small dip on y. A two-accent motif rides the grid: the
// first accent leans right and forward, the second, m pulses later, left and less far
// forward. From each bar to the next the motif moves k pulses later (round the bar),
// while the pulses themselves never move.
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

struct Member {
    int n;
    int k;
    int m;  // pulses from the first accent to the second
};

constexpr Member kMembers[] = {
    {5, 1, 2},  {5, 2, 3},  {7, 1, 3},  {7, 2, 2},  {7, 3, 4},  {8, 1, 3},
    {8, 3, 2},  {9, 1, 4},  {9, 2, 3},  {9, 4, 2},  {10, 3, 4}, {11, 2, 5},
    {11, 3, 3}, {12, 5, 5}, {13, 3, 6}, {13, 5, 4},
};

constexpr int kBars = 4;
constexpr double kTick = -0.35;
constexpr double kWidth = 14.0;

constexpr const char* kDescription =
    "A four-bar grid keeps its pulse spacing while a two-accent motif migrates between bars.";

}  // namespace

KGEN_FAMILY(accent_walk, .peak_low = 0.2561, .peak_high = 0.3139, .step = 0.077) {
    int index = 0;
    for (const Member& m : kMembers) {
        // Peaks spread over the family's range, member by member.
        const double peak = 0.26 + 0.003 * index++;
        const std::string name =
            "accent_walk_" + std::to_string(m.n) + "_" + std::to_string(m.k);
        kgen::define(name, 1024, 3, kDescription, [m, peak](const kgen::Record& r) {
            const int bar_pips = r.period / kBars;
            std::vector<Pulse> score;
            for (int bar = 0; bar < kBars; ++bar) {
                const int first = (bar * m.k) % m.n;
                const int second = (first + m.m) % m.n;
                for (int j = 0; j < m.n; ++j) {
                    const double onset =
                        bar * bar_pips + static_cast<double>(bar_pips) * j / m.n;
                    kgen::Sample amp{0.0, kTick, 0.0};
                    if (j == first) {
                        amp = {1.0, kTick, 0.6};
                    } else if (j == second) {
                        amp = {-0.8, kTick, 0.45};
                    }
                    score.push_back({onset, kWidth, amp});
                }
            }
            kgen::fit_widths(r.period, score, 0.6);
            return kgen::render_score(r.period, score, peak);
        });
    }
}
