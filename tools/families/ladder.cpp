// ladder: ladder_a_b_c_d splits eight beats into four two-beat regions played at a, b, c
// and d notes per beat. Notes alternate right and left on x; each region's first note is
// the accent, larger on x and marked by a dip on y and a push forward on z.
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

constexpr int kMembers[][4] = {
    {2, 3, 4, 6}, {3, 5, 4, 2}, {2, 5, 3, 7}, {4, 3, 6, 5}, {2, 4, 7, 3}, {3, 6, 2, 5},
    {5, 3, 7, 4}, {6, 4, 3, 2}, {2, 7, 4, 5}, {7, 3, 5, 2}, {4, 7, 3, 6}, {5, 2, 6, 3},
    {3, 4, 5, 7}, {6, 5, 4, 3}, {7, 5, 3, 4}, {4, 6, 7, 5},
};

constexpr double kPeak = 0.32;
constexpr int kRegionBeats = 2;
constexpr double kNote = 0.45;
constexpr double kAccentSide = 0.6;
// The accent's depth and dip change only once a region, so they get a wide pulse of their
// own; each x note spans half the gap to its nearer neighbour, so notes touch.
constexpr double kAccentWidth = 16.0;

constexpr const char* kDescription =
    "Four two-beat regions change subdivision density while accents mark region starts.";

}  // namespace

KGEN_FAMILY(ladder, .peak_low = kPeak, .peak_high = kPeak, .step = 0.103) {
    for (const auto& m : kMembers) {
        std::string name = "ladder";
        for (const int n : m) {
            name += "_" + std::to_string(n);
        }
        kgen::define(name, 512, 3, kDescription, [&m](const kgen::Record& r) {
            std::vector<Pulse> score;
            for (int region = 0; region < 4; ++region) {
                const int per_beat = m[region];
                for (int k = 0; k < kRegionBeats * per_beat; ++k) {
                    const double onset =
                        kgen::beat_pips(static_cast<long>(kRegionBeats * region * per_beat + k), per_beat);
                    const double side = k % 2 == 0 ? 1.0 : -1.0;
                    const double size = k == 0 ? kAccentSide : kNote;
                    score.push_back({onset, kAccentWidth, {side * size, 0.0, 0.0}});
                    if (k == 0) {
                        score.push_back({onset, kAccentWidth, {0.0, -0.45, 1.0}});
                    }
                }
            }
            kgen::fit_widths(r.period, score, 0.5);
            return kgen::render_score(r.period, score, kPeak);
        });
    }
}
