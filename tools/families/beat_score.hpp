// Drum scores for the beat family: lanes of events with onset pips and velocities,
// written as step strings (sixteen steps to a 4/4 bar) plus tuplet rolls.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace kgen::beat {

// The lanes a score may carry. Snare covers clap and rim; perc covers toms, shaker,
// bell and clave; bass is the bass cue lane.
enum Lane : std::size_t { kick, snare, hat, open_hat, perc, bass };
inline constexpr std::size_t kLaneCount = 6;

// A set of lanes, one bit each.
using LaneSet = unsigned;
constexpr LaneSet lanes(std::initializer_list<Lane> which) {
    LaneSet set = 0;
    for (const Lane l : which) {
        set |= 1u << l;
    }
    return set;
}
inline constexpr LaneSet kEveryLane = (1u << kLaneCount) - 1;

// Sixteen steps to a 4/4 bar, sixteen pips to a step.
inline constexpr int kStepsPerBar = 16;
inline constexpr int kPipsPerStep = 16;
inline constexpr int kBarPips = kStepsPerBar * kPipsPerStep;

struct Event {
    double at;   // onset pip, fractional where the groove swings or plays tuplets
    double vel;  // 0 < vel <= 1
};

// count evenly spaced hits from start, the velocity moving linearly from first to last.
struct Roll {
    Lane lane;
    double start;
    int count;
    double spacing;
    double vel_first;
    double vel_last;
};

// One groove as authored. Step strings hold one character per sixteenth: '.' a rest,
// '1'..'9' a hit of velocity 0.1..0.9, 'X' the full-velocity accent; '|' and blanks only
// separate bars. A string shorter than the period repeats until it fills it (its length
// must divide the period's step count). swing delays every odd sixteenth by that many
// pips. A groove with a base copies the base's score (of as many bars), then drops the
// snares quieter than drop_snares_below.
struct GrooveRow {
    const char* key;
    const char* label;  // "genre / title", the head of the descriptions
    const char* note;   // ends the descriptions of the motions that have no sentence of
                        // their own; may be empty
    int bars;
    double swing;
    std::array<const char*, kLaneCount> lanes;
    std::vector<Roll> rolls;
    const char* base = nullptr;
    double drop_snares_below = 0.0;
};

struct Score {
    int period = 0;
    std::array<std::vector<Event>, kLaneCount> lanes;  // each sorted by onset

    const std::vector<Event>& operator[](Lane l) const { return lanes[l]; }
    bool has(Lane l) const { return !lanes[l].empty(); }
    // Whether any of the lanes holds an event.
    bool has_any(LaneSet which) const;
    // Loudest velocity over the lanes (0 when they are all empty).
    double loudest(LaneSet which) const;
};

// The grooves in table order: the earlier set, then the later set, whose grooves play the
// later version of every motion that has one.
struct Grooves {
    std::vector<GrooveRow> earlier;
    std::vector<GrooveRow> later;
};
const Grooves& grooves();
const GrooveRow* find_groove(std::string_view key);

// The groove's loop in pips: its bars, kBarPips each.
int period(const GrooveRow& row);

// Builds the score of a groove; throws on malformed step strings or rolls.
Score make_score(const GrooveRow& row);

}  // namespace kgen::beat
