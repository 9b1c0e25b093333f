// The motions of the beat family: generators that turn any drum score into a loop.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "gen/beat_score.hpp"
#include "gen/kgen.hpp"

namespace kgen::beat {

inline constexpr std::array<std::string_view, 16> kMotionKeys = {
    "bounce",   "step",    "orbit", "glide",     "surge",  "recoil", "flutter", "dive",
    "pendulum", "figure8", "box",   "corkscrew", "spiral", "slalom", "spring",  "ricochet"};

// The first four motions have a newer version, used by the later grooves.
inline constexpr std::size_t kFirstMotions = 4;

// The block of one motion driven by one score, scaled to the motion's peak for that
// score (below 0.92, which only a full-velocity 'X' hit can drive ricochet and dive to).
Block make_motion(std::size_t motion, bool newer, const Score& score);

// The peak the motion is scaled to for this score.
double motion_peak(std::size_t motion, bool newer, const Score& score);

}  // namespace kgen::beat
