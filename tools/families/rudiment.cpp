// rudiment: drum stickings drawn as pulse scores, twelve strokes evenly spread over four
// beats (triplet spacing). R strokes move right, L strokes left, every stroke dips down;
// accented strokes are full size, the others 0.6 of it.
// rudiment_flam_accent adds a grace note before each accented group of three: a small pulse
// on the opposite side. A real grace is nearly instantaneous; here it sits eleven pips ahead
// of its accent and keeps a four-pip half-width, as wide as the step bound allows, so that it
// reads as a gesture of its own between the previous stroke and the accent.
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

constexpr int kStrokes = 12;
constexpr double kStrokeHalfWidth = 28.0 / 3.0;

struct Sticking {
    const char* name;
    const char* hands;  // R or L per stroke
    std::vector<int> accents;
    bool flams;
};

const std::vector<Sticking> kStickings = {
    {"rudiment_double_paradiddle", "RLRLRRLRLRLL", {0, 6}, false},
    {"rudiment_paradiddle_diddle", "RLRRLLLRLLRR", {0, 6}, false},
    {"rudiment_six_stroke", "RLLRRLLRRLLR", {0, 5, 6, 11}, false},
    {"rudiment_flam_accent", "RLRLRLRLRLRL", {0, 3, 6, 9}, true},
};

constexpr double kGraceLead = 11.0;
constexpr double kGraceHalfWidth = 4.0;
constexpr double kGraceSide = 0.25;
constexpr double kGraceDip = -0.12;

bool accented(const Sticking& s, int j) {
    for (const int a : s.accents) {
        if (a == j) {
            return true;
        }
    }
    return false;
}

std::string description(const Sticking& s) {
    if (s.flams) {
        return "Opposite-hand grace gestures lead accented groups of three; deliberately "
               "expanded for visible motion.";
    }
    const std::string hands = s.hands;
    return "Visual sticking study " + hands.substr(0, kStrokes / 2) + " " +
           hands.substr(kStrokes / 2) +
           "; equal triplet spacing over four beats. This is a movement interpretation, not "
           "a complete drum-performance notation.";
}

}  // namespace

KGEN_FAMILY(rudiment, .peak_low = 0.82, .peak_high = 0.82, .step = 0.138) {
    for (const Sticking& s : kStickings) {
        kgen::define(s.name, 256, 2, description(s), [s](const kgen::Record& r) {
            const double P = r.period;
            std::vector<kgen::Pulse> score;
            for (int j = 0; j < kStrokes; ++j) {
                const double hand = s.hands[j] == 'R' ? 1.0 : -1.0;
                const double onset = P * j / kStrokes;
                kgen::Sample amp{0.82 * hand, -0.42, 0.0};
                const bool accent = accented(s, j);
                if (!accent) {
                    amp = kgen::Sample{0.6 * amp.x, 0.6 * amp.y, 0.0};
                }
                if (s.flams && accent) {
                    score.push_back({onset - kGraceLead, kGraceHalfWidth,
                                     {-hand * kGraceSide, kGraceDip, 0.0}});
                }
                score.push_back({onset, kStrokeHalfWidth, amp});
            }
            kgen::Block block = kgen::pulse_score(r.period, score);
            if (s.flams) {
                // The accents already peak at 0.82 on whole pips; this keeps the peak exact
                // should the graces ever reach into them.
                kgen::scale_to_peak(block, 0.82);
            }
            return block;
        });
    }
}
