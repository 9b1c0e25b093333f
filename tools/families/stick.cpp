// stick: sixteen original R/L sticking studies (stick_study_01 ... _16). Each plays four
// beats of sixteenth-note strokes, R to the right and L to the left; the first stroke of
// every group is accented, larger and lifted on y. The last four beats answer with the
// hands swapped: the second half is the first with x negated.
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

constexpr double kPeak = 0.74;
constexpr int kStrokePips = 16;
constexpr int kStrokes = 16;

// Lead strokes are wide and full size; the narrow inner strokes leave a dip even beside a
// lead of the same hand one sixteenth away.
constexpr double kLeadWidth = 14.0;
constexpr double kLeadLift = 0.4;
constexpr double kInnerSize = 0.3;
constexpr double kInnerWidth = 7.0;

// Groups are separated by blanks; the group lengths, diddles and hand leads differ.
const char* const kStudies[] = {
    "RLL RLL RL RLL RLL RL",     // 01: 3 3 2 3 3 2
    "RLRR LRLL RRLR LLRL",       // 02: 4 4 4 4
    "RLRLL RLRLL RLRRLL",        // 03: 5 5 6
    "RL RL RLL LR LR LRR LR",    // 04: 2 2 3 2 2 3 2
    "RLRR LRR LRLL RLL RR",      // 05: 4 3 4 3 2
    "RLL LRR RLL LRR RLRL",      // 06: 3 3 3 3 4
    "RLRLRR LL LRLRLL RR",       // 07: 6 2 6 2
    "RL LRL RR LRR LL RLRL",     // 08: 2 3 2 3 2 4
    "RLLRR LRL LRRLL RLR",       // 09: 5 3 5 3
    "RRL LRLRR LLR RLRLL",       // 10: 3 5 3 5
    "RLRRLRL LL RLRLLRL",        // 11: 7 2 7
    "RL LR RL LR RLLR LRRL",     // 12: 2 2 2 2 4 4
    "RLLR RR LRRL LL RLRL",      // 13: 4 2 4 2 4
    "RLL RR LRL RL LRR LLR",     // 14: 3 2 3 2 3 3
    "RLRLRLRL LRRL RLLR",        // 15: 8 4 4
    "RLRLL RR LL RLRRL RL",      // 16: 5 2 2 5 2
};

constexpr const char* kDescription =
    "Original R/L movement study with accented group leads, followed by its hand-swapped "
    "answer. Not an official rudiment transcription.";

}  // namespace

KGEN_FAMILY(stick, .peak_low = kPeak, .peak_high = kPeak, .step = 0.096) {
    int number = 0;
    for (const char* study : kStudies) {
        const std::string name = "stick_study_" + kgen::two_digits(++number);
        kgen::define(name, 512, 2, kDescription, [study](const kgen::Record& r) {
            const std::vector<kgen::Stroke> strokes = kgen::sticking(study);
            if (strokes.size() != kStrokes) {
                throw std::runtime_error("a study needs sixteen strokes");
            }
            const int half = r.period / 2;
            std::vector<Pulse> score;
            for (const int swap : {1, -1}) {
                for (std::size_t i = 0; i < strokes.size(); ++i) {
                    const kgen::Stroke& s = strokes[i];
                    const double onset = (swap == 1 ? 0 : half) + kStrokePips * static_cast<double>(i);
                    const double hand = static_cast<double>(s.hand * swap);
                    if (s.lead) {
                        score.push_back({onset, kLeadWidth, {hand, kLeadLift, 0.0}});
                    } else {
                        score.push_back({onset, kInnerWidth, {kInnerSize * hand, 0.0, 0.0}});
                    }
                }
            }
            kgen::Block block = kgen::render_score(r.period, score, kPeak);
            // The sums of the two halves add the same terms in another order; copy the
            // first half so the mirror holds to the last bit.
            for (int p = half; p < r.period; ++p) {
                const kgen::Sample& a = block[static_cast<std::size_t>(p - half)];
                block[static_cast<std::size_t>(p)] = kgen::Sample{-a.x, a.y, a.z};
            }
            return block;
        });
    }
}
