// swing: eight-beat scores whose offbeats fall at p/q of each beat (swing_kind_p_q: 3/5,
// 2/3, 5/7 and 3/4), every gesture a pulse peaking on its onset.
//   push     light downbeats on y; accented offbeats thrust forward (z), leaning to
//            alternate sides
//   answer   each downbeat calls down and to the right, its offbeat answers on the left
//            (x and y only)
//   skip     heavy downbeats; a repeating four-beat mask leaves some offbeats out, the
//            played ones lean to alternate sides and forward
//   shuffle  downbeats sway side to side, every offbeat lifts and leans forward, long and
//            short in turn like a triplet lilt
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;
using kgen::Sample;

constexpr double kPeak = 0.585;
constexpr int kBeats = 8;

enum class Side { fixed, beat, played };

struct Kind {
    const char* key;
    Sample down;  // the downbeat gesture; its x is turned by the beat's side
    double down_width;
    Sample off;  // the offbeat gesture; its x follows off_side
    double off_width;
    Side off_side;
    double lilt;  // every second offbeat is this share of the first
};

const Kind kKinds[] = {
    {"push", {0.0, -0.5, 0.0}, 14.0, {0.45, 0.0, 1.0}, 14.0, Side::beat, 1.0},
    {"answer", {0.55, -1.0, 0.0}, 14.0, {-0.55, 0.0, 0.0}, 14.0, Side::fixed, 1.0},
    {"skip", {0.0, -1.0, 0.0}, 14.0, {0.7, 0.0, 0.55}, 12.0, Side::played, 1.0},
    {"shuffle", {0.8, -0.3, 0.0}, 14.0, {0.0, 0.3, 0.7}, 12.0, Side::beat, 0.7},
};

struct Ratio {
    int p;
    int q;
    const char* skip;  // offbeats played (1) or left out (0), beat by beat, repeating
};

const Ratio kRatios[] = {{3, 5, "1011"}, {2, 3, "1101"}, {5, 7, "0111"}, {3, 4, "1110"}};

double beat_side(int beat) { return beat % 2 == 0 ? 1.0 : -1.0; }

// The x of a gesture goes into a pulse of its own, narrowed to half the gap to the next
// x gesture, so that the closely spaced call and answer keep within the step bound.
void add(std::vector<Pulse>& score, std::vector<Pulse>& lateral, double onset, double width,
         Sample amp, bool split) {
    if (split && amp.x != 0.0) {
        lateral.push_back({onset, width, {amp.x, 0.0, 0.0}});
        amp.x = 0.0;
    }
    if (amp.x != 0.0 || amp.y != 0.0 || amp.z != 0.0) {
        score.push_back({onset, width, amp});
    }
}

}  // namespace

KGEN_FAMILY(swing, .peak_low = kPeak, .peak_high = kPeak, .step = 0.072) {
    for (const Ratio& ratio : kRatios) {
        for (const Kind& kind : kKinds) {
            const std::string p = std::to_string(ratio.p);
            const std::string q = std::to_string(ratio.q);
            const std::string name = std::string("swing_") + kind.key + "_" + p + "_" + q;
            const std::string description = std::string("Eight-beat ") + kind.key +
                                            " score with offbeats at " + p + "/" + q +
                                            " of each beat; peaks follow the score.";
            const int dimensions = kind.down.z != 0.0 || kind.off.z != 0.0 ? 3 : 2;
            kgen::define(name, 512, dimensions, description, [ratio, kind](const kgen::Record& r) {
                const bool split = kind.off_side == Side::fixed;
                std::vector<Pulse> score;
                std::vector<Pulse> lateral;
                int played = 0;
                for (int b = 0; b < kBeats; ++b) {
                    Sample down = kind.down;
                    if (kind.off_side != Side::fixed) {
                        down.x = down.x * beat_side(b);
                    }
                    add(score, lateral, kgen::beat_pips(b), kind.down_width, down, split);
                    const bool skip = kind.off_side == Side::played;
                    if (skip && ratio.skip[b % 4] == '0') {
                        continue;
                    }
                    Sample off = kind.off;
                    const double size = b % 2 == 0 ? 1.0 : kind.lilt;
                    off = Sample{off.x * size, off.y * size, off.z * size};
                    if (kind.off_side == Side::beat) {
                        off.x = off.x * beat_side(b);
                    } else if (kind.off_side == Side::played) {
                        off.x = off.x * beat_side(played);
                    }
                    ++played;
                    const double onset = kgen::beat_pips(b * ratio.q + ratio.p, ratio.q);
                    add(score, lateral, onset, kind.off_width, off, split);
                }
                kgen::fit_widths(r.period, lateral, 0.5);
                score.insert(score.end(), lateral.begin(), lateral.end());
                return kgen::render_score(r.period, score, kPeak);
            });
        }
    }
}
