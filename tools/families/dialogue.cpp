// dialogue: dialogue_g1_g2_... is a phrase of consecutive groups of g1, g2, ... eighth notes
// (the period is 32 pips times their sum). Each group hands the phrase to the next
// direction: right, up, forward, then left. The first group, the call, starts on its
// downbeat with a note on every eighth. Each later group answers late: a small backswing
// on the group's downbeat, the entry a sixteenth later, then a note every eighth after it.
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;
using kgen::Sample;

const std::vector<std::vector<int>> kMembers = {
    {3, 4, 5},    {5, 3, 4},    {3, 5, 2},    {2, 5, 4},    {4, 3, 2},    {3, 2, 4, 5},
    {5, 2, 3, 4}, {2, 3, 5, 3}, {3, 4, 3, 5}, {5, 4, 2, 3}, {2, 4, 5, 2}, {4, 5, 3, 2},
    {3, 5, 4, 3}, {5, 3, 2, 5}, {2, 5, 3, 5}, {4, 3, 5, 4},
};

const Sample kDirections[] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}, {-1.0, 0.0, 0.0}};

constexpr double kPeak = 0.32;
constexpr int kEighth = 32;
constexpr int kLate = 16;          // a response enters a sixteenth after its downbeat
constexpr double kBackswing = -0.3;
constexpr double kEntryWidth = 9.0;
constexpr double kNoteWidth = 12.0;

Sample times(const Sample& d, double v) { return {d.x * v, d.y * v, d.z * v}; }

// The notes after a group's first fade a little each time.
double follow(int k) {
    double v = 0.55;
    for (int i = 1; i < k; ++i) {
        v = v * 0.9;
    }
    return v;
}

constexpr const char* kDescription =
    "Different eighth-note group lengths pass a phrase between directions, with late pickup "
    "responses.";

}  // namespace

KGEN_FAMILY(dialogue, .peak_low = kPeak, .peak_high = kPeak, .step = 0.059) {
    for (const std::vector<int>& groups : kMembers) {
        std::string name = "dialogue";
        int eighths = 0;
        for (const int g : groups) {
            name += "_" + std::to_string(g);
            eighths += g;
        }
        kgen::define(name, kEighth * eighths, 3, kDescription, [&groups](const kgen::Record& r) {
            std::vector<Pulse> score;
            int start = 0;
            for (std::size_t i = 0; i < groups.size(); ++i) {
                const Sample& d = kDirections[i];
                const int g = groups[i];
                if (i == 0) {
                    score.push_back({static_cast<double>(start), kNoteWidth, d});
                    for (int k = 1; k < g; ++k) {
                        score.push_back({static_cast<double>(start + kEighth * k), kNoteWidth,
                                         times(d, follow(k))});
                    }
                } else {
                    score.push_back({static_cast<double>(start), 6.0, times(d, kBackswing)});
                    score.push_back({static_cast<double>(start + kLate), kEntryWidth, d});
                    for (int k = 1; k < g; ++k) {
                        score.push_back({static_cast<double>(start + kLate + kEighth * k),
                                         kNoteWidth, times(d, follow(k))});
                    }
                }
                start += kEighth * g;
            }
            if (start != r.period) {
                throw std::runtime_error("the groups do not fill the period");
            }
            return kgen::render_score(r.period, score, kPeak);
        });
    }
}
