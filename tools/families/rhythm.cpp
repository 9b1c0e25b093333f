// rhythm: twelve short scores of raised-cosine gestures, each peaking on its onset.
//   euclid_k_n       the Bjorklund onsets of k in n steps on an n-step grid over four beats
//                    (7_16 and 5_16 play their grid twice, the second time mirrored);
//                    sides alternate onset by onset, the first onset of a grid is the accent
//   three_two        three x-gestures against two y-gestures per four beats
//   five_four        5 (7) evenly spaced x-hits against 4 y-hits per four beats; two bars
//   seven_four       so that the odd lane alternates its sides all the way round
//   three_four_five  3 x-, 4 y- and 5 z-gestures evenly over eight beats
//   group_332/223    accents lead groups of 3+3+2 (2+2+3) eighth notes, alternating sides,
//                    with small taps on the other eighths
//   half_time, swung_answer  written out as event lists
#include <string>
#include <utility>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;
using kgen::Sample;

// Gestures alternate sides; the accent is full size, the rest this share of it.
constexpr double kFollow = 0.75;

struct Euclid {
    int onsets;
    int steps;
    int grids;  // how many times the grid plays over the period
    double peak;
};

// Evenly spaced lanes: count gestures over the period on one axis, sides alternating.
struct Lane {
    int axis;
    int count;
    double offset;  // pips before the lane's first gesture
    double half_width;
};

// An event at num/den beats.
struct Event {
    long num;
    long den;
    Sample amp;
    double half_width;
};

double side(int i) { return i % 2 == 0 ? 1.0 : -1.0; }

void set_axis(Sample& s, int axis, double v) {
    (axis == 0 ? s.x : axis == 1 ? s.y : s.z) = v;
}

kgen::Maker euclid(Euclid e) {
    return [e](const kgen::Record& r) {
        const double grid = r.period / e.grids;
        const double step = grid / e.steps;
        const std::vector<int> steps = kgen::bjorklund(e.onsets, e.steps);
        std::vector<Pulse> score;
        int i = 0;
        for (int g = 0; g < e.grids; ++g) {
            for (std::size_t j = 0; j < steps.size(); ++j, ++i) {
                const double size = j == 0 ? 1.0 : kFollow;
                score.push_back({g * grid + steps[j] * step, 20.0,
                                 {side(i) * size, -0.4 * size, 0.0}});
            }
        }
        kgen::fit_widths(r.period, score, 0.6);
        return kgen::render_score(r.period, score, e.peak);
    };
}

kgen::Maker lanes(std::vector<Lane> lanes, double peak) {
    return [lanes = std::move(lanes), peak](const kgen::Record& r) {
        std::vector<Pulse> score;
        for (const Lane& lane : lanes) {
            for (int i = 0; i < lane.count; ++i) {
                Sample amp;
                set_axis(amp, lane.axis, side(i) * (i == 0 ? 1.0 : kFollow));
                score.push_back({lane.offset + static_cast<double>(r.period) * i / lane.count,
                                 lane.half_width, amp});
            }
        }
        return kgen::render_score(r.period, score, peak);
    };
}

// Eighth-note groupings (lengths in eighth notes of one bar) repeated over the period.
kgen::Maker grouping(std::vector<int> groups, double peak) {
    return [groups = std::move(groups), peak](const kgen::Record& r) {
        int bar = 0;
        for (const int g : groups) {
            bar += g;
        }
        std::vector<Pulse> score;
        int accent = 0;
        for (int eighth = 0; eighth * 32 < r.period; ++eighth) {
            int pos = eighth % bar;
            bool starts = false;
            for (const int g : groups) {
                if (pos == 0) {
                    starts = true;
                }
                pos -= g;
            }
            const double onset = 32.0 * eighth;
            if (starts) {
                // The bar's first group leads with the larger accent.
                const double size = eighth % bar == 0 ? 1.0 : 0.8;
                score.push_back({onset, 18.0, {side(accent) * size, -0.35 * size, 0.0}});
                ++accent;
            } else {
                score.push_back({onset, 9.0, {0.0, -0.2, 0.0}});
            }
        }
        return kgen::render_score(r.period, score, peak);
    };
}

kgen::Maker written(std::vector<Event> events, double peak) {
    return [events = std::move(events), peak](const kgen::Record& r) {
        std::vector<Pulse> score;
        for (const Event& e : events) {
            score.push_back({kgen::beat_pips(e.num, e.den), e.half_width, e.amp});
        }
        return kgen::render_score(r.period, score, peak);
    };
}

}  // namespace

KGEN_FAMILY(rhythm, .peak_low = 0.7, .peak_high = 0.85, .step = 0.150) {
    using kgen::define;
    define("rhythm_euclid_3_8", 256, 2,
           "3 evenly distributed onsets on a 8-step grid. Alternating lateral gestures.",
           euclid({3, 8, 1, 0.8}));
    define("rhythm_euclid_5_12", 256, 2,
           "5 evenly distributed onsets on a 12-step grid. Alternating lateral gestures.",
           euclid({5, 12, 1, 0.78}));
    define("rhythm_three_two", 256, 2,
           "Three horizontal gestures interlock with two vertical gestures in one four-beat "
           "cycle.",
           lanes({{0, 3, 0.0, 20.0}, {1, 2, 64.0, 20.0}}, 0.8));
    // Heavy downbeat, snare-like lift on beat three, small swung shuffles between.
    define("rhythm_half_time", 256, 2,
           "A strong downbeat, snare-like accent on beat three, and smaller offbeat shuffles.",
           written({{0, 1, {0.0, -1.0, 0.0}, 20.0},
                    {2, 3, {0.3, 0.0, 0.0}, 10.0},
                    {5, 3, {-0.3, 0.0, 0.0}, 10.0},
                    {2, 1, {-0.35, 0.75, 0.0}, 18.0},
                    {8, 3, {0.3, 0.0, 0.0}, 10.0},
                    {11, 3, {-0.3, 0.0, 0.0}, 10.0}},
                   0.84));
    define("rhythm_five_four", 512, 2,
           "5 lateral hits against four vertical hits per four beats; two bars preserve "
           "alternating directions.",
           lanes({{0, 10, 0.0, 20.0}, {1, 8, 0.0, 20.0}}, 0.78));
    define("rhythm_seven_four", 512, 2,
           "7 lateral hits against four vertical hits per four beats; two bars preserve "
           "alternating directions.",
           lanes({{0, 14, 0.0, 16.0}, {1, 8, 0.0, 20.0}}, 0.76));
    define("rhythm_euclid_7_16", 512, 2,
           "7 evenly distributed onsets on a sixteen-step grid, repeated with alternating "
           "sides over eight beats.",
           euclid({7, 16, 2, 0.76}));
    define("rhythm_euclid_5_16", 512, 2,
           "5 evenly distributed onsets on a sixteen-step grid, repeated with alternating "
           "sides over eight beats.",
           euclid({5, 16, 2, 0.8}));
    // Two beats of 2:1 swung eighths on the right, answered by the same on the left.
    define("rhythm_swung_answer", 256, 2,
           "A two-to-one swung call on the right, answered on the left; four beats and eight "
           "peak-aligned gestures.",
           written({{0, 1, {1.0, 0.3, 0.0}, 15.0},
                    {2, 3, {0.65, -0.25, 0.0}, 12.0},
                    {1, 1, {0.85, 0.3, 0.0}, 15.0},
                    {5, 3, {0.65, -0.25, 0.0}, 12.0},
                    {2, 1, {-1.0, 0.3, 0.0}, 15.0},
                    {8, 3, {-0.65, -0.25, 0.0}, 12.0},
                    {3, 1, {-0.85, 0.3, 0.0}, 15.0},
                    {11, 3, {-0.65, -0.25, 0.0}, 12.0}},
                   0.8));
    define("rhythm_group_332", 512, 2,
           "Groups of three, three, and two eighth notes. Six alternating accents make an "
           "eight-beat loop.",
           grouping({3, 3, 2}, 0.82));
    define("rhythm_group_223", 448, 2,
           "Two 7/8 bars grouped as 2+2+3 eighth notes: a seven-quarter-note loop, not forced "
           "into four beats.",
           grouping({2, 2, 3}, 0.82));
    define("rhythm_three_four_five", 512, 3,
           "Three X, four Y, and five Z gestures share an eight-beat phrase, with exact "
           "rational peak times.",
           lanes({{0, 3, 0.0, 20.0}, {1, 4, 0.0, 20.0}, {2, 5, 0.0, 20.0}}, 0.8));
}
