// euclid: Euclidean rhythms as raised-cosine pulse scores. euclid_k_n places k onsets as
// evenly as the n-step eighth-note grid allows (step 32 ceil(i n / k) for onset i); the
// period is the n steps. The first onset is the phrase accent, the others alternate sides.
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int onsets;
    int steps;
};

constexpr Member kMembers[] = {
    {2, 5},  {3, 7},  {3, 10}, {4, 9},  {4, 11}, {5, 9},  {5, 11}, {5, 13},
    {5, 14}, {6, 13}, {7, 12}, {7, 15}, {7, 17}, {8, 19}, {9, 20}, {11, 24},
};

constexpr int kStepPips = 32;

constexpr const char* kDescription =
    "Evenly distributed accents with alternating sides; first onset is the phrase accent.";

}  // namespace

KGEN_FAMILY(euclid, .peak_low = 0.75, .peak_high = 0.75, .step = 0.064) {
    for (const Member& m : kMembers) {
        const std::string name =
            "euclid_" + std::to_string(m.onsets) + "_" + std::to_string(m.steps);
        kgen::define(name, kStepPips * m.steps, 2, kDescription, [m](const kgen::Record& r) {
            std::vector<kgen::Pulse> score;
            for (int i = 0; i < m.onsets; ++i) {
                const int step = (i * m.steps + m.onsets - 1) / m.onsets;  // ceil(i n / k)
                kgen::Sample amp{0.75, -0.32, 0.0};
                if (i > 0) {
                    amp = kgen::Sample{i % 2 == 0 ? 0.5625 : -0.5625, -0.24, 0.0};
                }
                score.push_back({static_cast<double>(kStepPips * step), 24.0, amp});
            }
            return kgen::pulse_score(r.period, score);
        });
    }
}
