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
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;
using kgen::Sample;

// Gestures alternate sides; the accent is full size, the rest this share of it.
constexpr double kFollow = 0.75;

struct Euclid {
    const char* name;
    int onsets;
    int steps;
    int grids;  // how many times the grid plays over the period
    double peak;
};

constexpr Euclid kEuclid[] = {
    {"rhythm_euclid_3_8", 3, 8, 1, 0.8},
    {"rhythm_euclid_5_12", 5, 12, 1, 0.78},
    {"rhythm_euclid_7_16", 7, 16, 2, 0.76},
    {"rhythm_euclid_5_16", 5, 16, 2, 0.8},
};

// Evenly spaced lanes: count gestures over the period on one axis, sides alternating.
struct Lane {
    int axis;
    int count;
    double offset;  // pips before the lane's first gesture
    double half_width;
};

struct Lanes {
    const char* name;
    std::vector<Lane> lanes;
    double peak;
};

const std::vector<Lanes> kLanes = {
    {"rhythm_three_two", {{0, 3, 0.0, 20.0}, {1, 2, 64.0, 20.0}}, 0.8},
    {"rhythm_five_four", {{0, 10, 0.0, 20.0}, {1, 8, 0.0, 20.0}}, 0.78},
    {"rhythm_seven_four", {{0, 14, 0.0, 16.0}, {1, 8, 0.0, 20.0}}, 0.76},
    {"rhythm_three_four_five", {{0, 3, 0.0, 20.0}, {1, 4, 0.0, 20.0}, {2, 5, 0.0, 20.0}}, 0.8},
};

// Eighth-note groupings repeated over the period.
struct Grouping {
    const char* name;
    std::vector<int> groups;  // lengths in eighth notes of one bar
    double peak;
};

const std::vector<Grouping> kGroupings = {
    {"rhythm_group_332", {3, 3, 2}, 0.82},
    {"rhythm_group_223", {2, 2, 3}, 0.82},
};

// An event at num/den beats.
struct Event {
    long num;
    long den;
    Sample amp;
    double half_width;
};

struct Written {
    const char* name;
    std::vector<Event> events;
    double peak;
};

const std::vector<Written> kWritten = {
    // Heavy downbeat, snare-like lift on beat three, small swung shuffles between.
    {"rhythm_half_time",
     {{0, 1, {0.0, -1.0, 0.0}, 20.0},
      {2, 3, {0.3, 0.0, 0.0}, 10.0},
      {5, 3, {-0.3, 0.0, 0.0}, 10.0},
      {2, 1, {-0.35, 0.75, 0.0}, 18.0},
      {8, 3, {0.3, 0.0, 0.0}, 10.0},
      {11, 3, {-0.3, 0.0, 0.0}, 10.0}},
     0.84},
    // Two beats of 2:1 swung eighths on the right, answered by the same on the left.
    {"rhythm_swung_answer",
     {{0, 1, {1.0, 0.3, 0.0}, 15.0},
      {2, 3, {0.65, -0.25, 0.0}, 12.0},
      {1, 1, {0.85, 0.3, 0.0}, 15.0},
      {5, 3, {0.65, -0.25, 0.0}, 12.0},
      {2, 1, {-1.0, 0.3, 0.0}, 15.0},
      {8, 3, {-0.65, -0.25, 0.0}, 12.0},
      {3, 1, {-0.85, 0.3, 0.0}, 15.0},
      {11, 3, {-0.65, -0.25, 0.0}, 12.0}},
     0.8},
};

double side(int i) { return i % 2 == 0 ? 1.0 : -1.0; }

void set_axis(Sample& s, int axis, double v) {
    (axis == 0 ? s.x : axis == 1 ? s.y : s.z) = v;
}

}  // namespace

KGEN_FAMILY(rhythm) {
    for (const Euclid& e : kEuclid) {
        kgen::define(e.name, [e](const kgen::Record& r) {
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
        });
    }
    for (const Lanes& m : kLanes) {
        kgen::define(m.name, [m](const kgen::Record& r) {
            std::vector<Pulse> score;
            for (const Lane& lane : m.lanes) {
                for (int i = 0; i < lane.count; ++i) {
                    Sample amp;
                    set_axis(amp, lane.axis, side(i) * (i == 0 ? 1.0 : kFollow));
                    score.push_back({lane.offset + static_cast<double>(r.period) * i / lane.count,
                                     lane.half_width, amp});
                }
            }
            return kgen::render_score(r.period, score, m.peak);
        });
    }
    for (const Grouping& m : kGroupings) {
        kgen::define(m.name, [m](const kgen::Record& r) {
            int bar = 0;
            for (const int g : m.groups) {
                bar += g;
            }
            std::vector<Pulse> score;
            int accent = 0;
            for (int eighth = 0; eighth * 32 < r.period; ++eighth) {
                int pos = eighth % bar;
                bool starts = false;
                for (const int g : m.groups) {
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
            return kgen::render_score(r.period, score, m.peak);
        });
    }
    for (const Written& m : kWritten) {
        kgen::define(m.name, [m](const kgen::Record& r) {
            std::vector<Pulse> score;
            for (const Event& e : m.events) {
                score.push_back({kgen::beat_pips(e.num, e.den), e.half_width, e.amp});
            }
            return kgen::render_score(r.period, score, m.peak);
        });
    }
}
