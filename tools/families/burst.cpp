// burst: burst_a_b_c plays three bursts of a, b and c notes, each burst subdividing one
// beat evenly and moving its own axis: x on beat 0, y on beat 2, z on beat 4, with a beat
// of stillness after each. A broad settling accent, down, left and back, comes late at
// beat 6 2/3. Inside a burst the first note is the strongest and the rest fade.
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

constexpr int kMembers[][3] = {
    {3, 5, 2}, {4, 3, 6}, {5, 2, 4}, {2, 7, 3}, {3, 4, 5}, {5, 3, 7}, {6, 2, 5}, {4, 7, 2},
    {7, 3, 4}, {2, 5, 6}, {5, 7, 3}, {3, 6, 4}, {4, 5, 7}, {6, 3, 5}, {7, 4, 3}, {5, 6, 2},
};

constexpr double kPeak = 0.288;
constexpr int kBurstBeats[] = {0, 2, 4};
constexpr double kFade = 0.82;
constexpr double kNoteWidth = 14.0;  // narrowed to the burst's spacing below
constexpr double kSettleWidth = 22.0;

constexpr const char* kDescription =
    "Three unevenly subdivided directional bursts, deliberate gaps and a late settling accent.";

}  // namespace

KGEN_FAMILY(burst, .peak_low = kPeak, .peak_high = kPeak, .step = 0.097) {
    for (const auto& m : kMembers) {
        const std::string name = "burst_" + std::to_string(m[0]) + "_" + std::to_string(m[1]) +
                                 "_" + std::to_string(m[2]);
        kgen::define(name, 512, 3, kDescription, [&m](const kgen::Record& r) {
            std::vector<Pulse> score;
            for (int axis = 0; axis < 3; ++axis) {
                const int n = m[axis];
                double size = 1.0;
                for (int k = 0; k < n; ++k) {
                    const double onset = kgen::beat_pips(kBurstBeats[axis] * n + k, n);
                    kgen::Sample amp;
                    (axis == 0 ? amp.x : axis == 1 ? amp.y : amp.z) = size;
                    score.push_back({onset, kNoteWidth, amp});
                    size = size * kFade;
                }
            }
            score.push_back({kgen::beat_pips(20, 3), kSettleWidth, {-0.6, -0.7, -0.5}});
            kgen::fit_widths(r.period, score, 0.62);
            return kgen::render_score(r.period, score, kPeak);
        });
    }
}
