// canon: a motif of notes with rational-beat durations plays on x from pip 0 and again
// from beat 4; the depth lane (z) follows it after a delay (canon_NN_close: short,
// canon_NN_late: long). In the first half the follower copies the motif exactly; in the
// second it answers altered: inverted (levels negated), augmented (durations times 3/2)
// or reordered (played backwards). Each entry's first note is marked on y, the leader's
// downward, the follower's upward. NN numbers the eight motifs.
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

struct Note {
    long num;  // duration num/den beats
    long den;
    double level;  // side and size of the gesture
};

enum class Alter { inverted, augmented, reordered };

struct Motif {
    std::vector<Note> notes;
    Alter alter;
    long close_num, close_den;  // the follower's delay, in beats
    long late_num, late_den;
};

const std::vector<Motif> kMotifs = {
    {{{1, 2, 1.0}, {1, 4, -0.6}, {1, 4, 0.7}, {1, 2, -0.8}, {1, 2, 0.5}},
     Alter::inverted, 1, 2, 2, 1},
    {{{1, 3, 1.0}, {1, 3, 0.6}, {1, 3, -0.7}, {1, 1, 0.8}, {1, 2, -0.5}},
     Alter::augmented, 2, 3, 3, 2},
    {{{3, 4, 1.0}, {1, 4, -0.5}, {1, 2, 0.7}, {1, 2, -0.9}, {1, 4, 0.4}, {1, 4, -0.4}},
     Alter::reordered, 1, 4, 7, 4},
    {{{1, 2, -1.0}, {1, 2, 0.8}, {1, 3, -0.5}, {1, 3, 0.5}, {1, 3, -0.7}},
     Alter::inverted, 1, 3, 2, 1},
    {{{1, 4, 1.0}, {1, 4, 0.5}, {1, 2, -0.8}, {3, 4, 0.6}, {1, 4, -0.4}, {1, 2, 0.7}},
     Alter::augmented, 3, 4, 5, 3},
    {{{2, 3, 1.0}, {1, 3, -0.6}, {2, 3, 0.8}, {1, 3, -0.5}, {1, 2, 0.6}},
     Alter::reordered, 1, 2, 9, 4},
    {{{1, 2, 1.0}, {1, 6, -0.5}, {1, 6, 0.5}, {1, 6, -0.5}, {1, 1, 0.8}, {1, 2, -0.6}},
     Alter::augmented, 2, 5, 2, 1},
    {{{1, 4, -1.0}, {3, 4, 0.9}, {1, 4, -0.6}, {1, 4, 0.6}, {1, 2, -0.8}, {1, 2, 0.5}},
     Alter::inverted, 3, 8, 11, 6},
};

constexpr double kWidth = 10.0;
constexpr double kMark = 0.35;

// Onsets in beats are kept as exact fractions num/den until the pip conversion.
struct Onset {
    long num;
    long den;
    double level;
};

std::vector<Onset> onsets(const std::vector<Note>& notes, long scale_num, long scale_den) {
    std::vector<Onset> out;
    long num = 0;
    long den = 1;
    for (const Note& n : notes) {
        out.push_back({num, den, n.level});
        // num/den + (n.num scale_num) / (n.den scale_den), over a common denominator
        const long d = n.den * scale_den;
        num = num * d + n.num * scale_num * den;
        den = den * d;
    }
    return out;
}

std::vector<Note> backwards(const std::vector<Note>& notes) {
    return std::vector<Note>(notes.rbegin(), notes.rend());
}

void entry(std::vector<Pulse>& score, const std::vector<Onset>& line, long start_num,
           long start_den, int axis, double level_sign, double mark) {
    bool first = true;
    for (const Onset& o : line) {
        const double onset =
            kgen::beat_pips(start_num * o.den + o.num * start_den, start_den * o.den);
        const double v = level_sign * o.level;
        kgen::Sample amp{axis == 0 ? v : 0.0, first ? mark : 0.0, axis == 2 ? v : 0.0};
        score.push_back({onset, kWidth, amp});
        first = false;
    }
}

constexpr const char* kDescription =
    "A rational-beat motif passes between lateral and depth lanes, with an altered second-half "
    "response.";

}  // namespace

KGEN_FAMILY(canon, .peak_low = 0.279, .peak_high = 0.311, .step = 0.080) {
    int number = 0;
    for (const Motif& m : kMotifs) {
        const std::string stem = "canon_" + kgen::two_digits(++number);
        for (const bool late : {false, true}) {
            const std::string name = stem + (late ? "_late" : "_close");
            kgen::define(name, 512, 3, kDescription, [&m, late](const kgen::Record& r) {
                const long dn = late ? m.late_num : m.close_num;
                const long dd = late ? m.late_den : m.close_den;
                const std::vector<Onset> motif = onsets(m.notes, 1, 1);
                std::vector<Onset> answer = motif;
                double sign = 1.0;
                if (m.alter == Alter::inverted) {
                    sign = -1.0;
                } else if (m.alter == Alter::augmented) {
                    answer = onsets(m.notes, 3, 2);
                } else {
                    answer = onsets(backwards(m.notes), 1, 1);
                }
                std::vector<Pulse> score;
                entry(score, motif, 0, 1, 0, 1.0, -kMark);
                entry(score, motif, dn, dd, 2, 1.0, kMark);
                entry(score, motif, 4, 1, 0, 1.0, -kMark);
                entry(score, answer, 4 * dd + dn, dd, 2, sign, kMark);
                kgen::fit_widths(r.period, score, 0.6);
                return kgen::render_score(r.period, score, late ? 0.29 : 0.3);
            });
        }
    }
}
