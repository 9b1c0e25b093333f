// The motions of the beat family: generators that turn any drum score into a loop, with
// the words that name them.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "families/beat_score.hpp"
#include "gen/kgen.hpp"

namespace kgen::beat {

class Lanes;
using Generator = Block (*)(const Lanes&);

// The peak a motion is scaled to: full times the loudest velocity over its lanes (below
// 0.92, which only a full-velocity 'X' hit can drive a motion to). A score that has none
// of those lanes is scaled by the stand-in lanes and ceiling instead.
struct Peak {
    double full;
    LaneSet lanes = kEveryLane;
    LaneSet stand_in = 0;
    double stand_in_full = 0.0;
};

// One version of a motion, as its descriptions name it: "title. sentence" follows the
// groove's label, the groove's note standing in for an empty sentence.
struct Version {
    std::string_view title;
    std::string_view sentence;
    Generator generate;
    Peak peak;
    // The lanes that move the depth: with none of them in the score the motion stays in
    // the plane. A motion whose own path has depth moves it whatever the score plays.
    LaneSet depth;
};

struct MotionDef {
    std::string_view key;  // the end of the pattern's name
    Version first;
    std::optional<Version> later = std::nullopt;  // what the later grooves play instead
};

// Every motion, in the order of the names.
std::span<const MotionDef> motions();

// The block of one version driven by one score, scaled to its peak.
Block make_motion(const Version& version, const Score& score);

// The axes the version moves for this score: 2 or 3.
int dimensions(const Version& version, const Score& score);

}  // namespace kgen::beat
