// The motions of the beat family: generators that turn any drum score into a loop.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "gen/beat_score.hpp"
#include "gen/kgen.hpp"

namespace kgen::beat {

// A motion as the descriptions name it: key (the end of the pattern's name), title and
// the sentence that follows the title. The first motions have a newer version of their
// own title and sentence; the others leave those empty.
struct Motion {
    std::string_view key;
    std::string_view title;
    std::string_view tail;
    std::string_view newer_title;
    std::string_view newer_tail;
};

inline constexpr std::array<Motion, 16> kMotions = {{
    {"bounce", "Kick-led bounce", "", "Kick-led bounce",
     "Original Vessa 05 kick-led downstroke and side accents."},
    {"step", "Snare side-step", "", "Snare side-step",
     "Original Vessa 05 alternating lateral kick and snare gestures."},
    {"orbit", "Percussion orbit", "", "Percussion orbit",
     "Original Vessa 05 event-weighted orbital speed, radius and depth."},
    {"glide", "Bass-and-phrase glide", "", "Bass / phrase glide",
     "Original Vessa 05 continuous phrase path with bass excursions."},
    {"surge", "Forward surge",
     "Kick thrust through depth with contrasting snare lift and hat detail.", "", ""},
    {"recoil", "Backbeat recoil",
     "Snare pushes sideways; kick counters downward; delayed echo draws back.", "", ""},
    {"flutter", "Upper-percussion flutter",
     "Hat and shaker tremors over a wider kick/snare arc.", "", ""},
    {"dive", "Bass-led dive",
     "Bass drives a broad depth plunge with alternating drum counterweight.", "", ""},
    {"pendulum", "Weighted pendulum",
     "A hanging arc whose amplitude and angular speed respond to the score.", "", ""},
    {"figure8", "Woven figure eight",
     "Two crossing lobes expand at kicks with a lifted snare crossing.", "", ""},
    {"box", "Rounded corner tour",
     "Rhythm-weighted phase travels around four softened corners.", "", ""},
    {"corkscrew", "Closed corkscrew",
     "Two orbital turns ride a depth wave with percussion-driven radius.", "", ""},
    {"spiral", "Breathing spiral",
     "A contracting and expanding double-turn path with a continuous seam.", "", ""},
    {"slalom", "Drum slalom",
     "S-shaped travel with kick lift, snare cutbacks and depth counter-motion.", "", ""},
    {"spring", "Causal spring",
     "An event starts at rest, then drives a damped ringing excursion.", "", ""},
    {"ricochet", "Directional ricochet",
     "Successive onsets send smooth excursions toward a cyclic series of targets.", "", ""},
}};

// The first four motions have a newer version, used by the later grooves.
inline constexpr std::size_t kFirstMotions = 4;

// The block of one motion driven by one score, scaled to the motion's peak for that
// score (below 0.92, which only a full-velocity 'X' hit can drive ricochet and dive to).
Block make_motion(std::size_t motion, bool newer, const Score& score);

// The peak the motion is scaled to for this score.
double motion_peak(std::size_t motion, bool newer, const Score& score);

}  // namespace kgen::beat
