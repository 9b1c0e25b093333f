// Drum scores for the beat family: lanes of events with onset pips and velocities,
// written as step strings (sixteen steps to a 4/4 bar) plus tuplet rolls.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace kgen::beat {

// The lanes a score may carry. Snare covers clap and rim; perc covers toms, shaker,
// bell and clave; bass is the bass cue lane.
enum Lane : std::size_t { kick, snare, hat, open_hat, perc, bass };
inline constexpr std::size_t kLaneCount = 6;

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
// pips. A groove with a base copies the base's score, then drops the snares quieter
// than drop_snares_below.
struct GrooveRow {
    const char* key;
    const char* label;  // "genre / title", the head of the descriptions
    const char* note;   // ends the descriptions of the first motions; may be empty
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
    // Loudest velocity over the given lanes (0 when they are all empty).
    double loudest(std::initializer_list<Lane> which) const;
};

// The 68 grooves in table order.
const std::vector<GrooveRow>& grooves();
const GrooveRow* find_groove(std::string_view key);

// Builds the score of a groove; throws on malformed step strings or rolls.
Score make_score(const GrooveRow& row);

}  // namespace kgen::beat
