// The record list of the built-in table: every name, description, period and dimension
// count in table order. The first records are listed one by one; the families of
// sixteen follow from their suffix lists and description rules, and the beat family
// is composed from its grooves and motions.
#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include "gen/internal.hpp"
#include "gen/kgen.hpp"

namespace kgen {
namespace {

struct FixedRecord {
    const char* name;
    int period;
    int dimensions;
    const char* description;
};

// Positions 0-51, each with a description of its own.
constexpr FixedRecord kFirstRecords[] = {
    {"lfo_breathe", 256, 1, "A four-beat, single-axis sine. The quiet reference for judging busier shapes."},
    {"lfo_surge", 256, 1, "A long rounded sweep and short recovery; an independently authored smooth-reset shape."},
    {"lfo_soft_gate", 256, 1, "Short smooth transitions separated by long stationary dwells. No square-wave teleport."},
    {"lfo_double_pump", 256, 2, "Two unequal pumps and a breathing space within four beats."},
    {"lfo_ratchet", 256, 2, "A four-hit decaying burst, then a rest. Every event is peak-aligned."},
    {"lfo_glide_stair", 256, 1, "Five rounded steps traverse the field, then a smooth return."},
    {"lfo_morph", 512, 2, "An eight-beat blend between a sine and skewed triangle; movement changes within the phrase."},
    {"lfo_flower", 512, 2, "Related rotations form an original three-lobed XY loop over eight beats."},
    {"rhythm_euclid_3_8", 256, 2, "3 evenly distributed onsets on a 8-step grid. Alternating lateral gestures."},
    {"rhythm_euclid_5_12", 256, 2, "5 evenly distributed onsets on a 12-step grid. Alternating lateral gestures."},
    {"rhythm_three_two", 256, 2, "Three horizontal gestures interlock with two vertical gestures in one four-beat cycle."},
    {"rhythm_half_time", 256, 2, "A strong downbeat, snare-like accent on beat three, and smaller offbeat shuffles."},
    {"rudiment_double_paradiddle", 256, 2, "Visual sticking study RLRLRR LRLRLL; equal triplet spacing over four beats. This is a movement interpretation, not a complete drum-performance notation."},
    {"rudiment_paradiddle_diddle", 256, 2, "Visual sticking study RLRRLL LRLLRR; equal triplet spacing over four beats. This is a movement interpretation, not a complete drum-performance notation."},
    {"rudiment_six_stroke", 256, 2, "Visual sticking study RLLRRL LRRLLR; equal triplet spacing over four beats. This is a movement interpretation, not a complete drum-performance notation."},
    {"rudiment_flam_accent", 256, 2, "Opposite-hand grace gestures lead accented groups of three; deliberately expanded for visible motion."},
    {"ease_rebound", 256, 1, "An attributed D3 easing curve, assembled into a closed outward-and-return loop."},
    {"ease_anticipate", 256, 1, "An attributed D3 easing curve, assembled into a closed outward-and-return loop."},
    {"ease_overshoot", 256, 1, "An attributed D3 easing curve, assembled into a closed outward-and-return loop."},
    {"ease_elastic", 256, 1, "Original windowed, decaying oscillation; not a copied D3 curve. Peak scaled to .8."},
    {"akwf_round_saw", 256, 1, "AKWF_R_asym_saw_05_256.h: an actual CC0 waveform slowed to a four-beat position loop."},
    {"akwf_quick_return", 256, 1, "AKWF_R_asym_saw_15_256.h: an actual CC0 waveform slowed to a four-beat position loop."},
    {"akwf_multi_lobe", 256, 1, "AKWF_0001_256.h: an actual CC0 waveform slowed to a four-beat position loop."},
    {"akwf_plateau", 256, 1, "AKWF_0010_256.h: an actual CC0 waveform slowed to a four-beat position loop."},
    {"groove_a_played", 512, 2, "Two-bar funk excerpt A (4–12 source beats), performed microtiming."},
    {"groove_a_grid", 512, 2, "Two-bar funk excerpt A (4–12 source beats), same hits quantised to sixteenths."},
    {"groove_b_played", 512, 2, "Two-bar funk excerpt B (36–44 source beats), performed microtiming."},
    {"groove_b_grid", 512, 2, "Two-bar funk excerpt B (36–44 source beats), same hits quantised to sixteenths."},
    {"lfo_twin_swell", 512, 2, "Two broad swells of unequal depth, with a gentle lateral answer. Eight beats."},
    {"lfo_pulse_hold", 256, 1, "A smooth outward pulse, sustained plateau, smaller opposite recoil, and rest."},
    {"lfo_sweep_ratchet", 512, 2, "A slow lateral sweep followed by three decaying vertical ratchets; no reset jump."},
    {"lfo_triplet_wobble", 512, 2, "Three rounded oscillations per two beats, breathing in depth over an eight-beat phrase."},
    {"lfo_breathing_orbit", 512, 2, "A closed ellipse expands and contracts twice during its eight-beat revolution."},
    {"lfo_seeded_drift", 1024, 2, "Two independently seeded smooth random lanes; irregular-looking but exactly periodic and seekable."},
    {"lfo_pendulum_dwell", 512, 2, "Rounded saturation slows the pendulum near either side; a shallow arc connects the turns."},
    {"lfo_reverse_swell", 512, 2, "A long anticipatory rise, quick softened return, and two diminishing aftershocks."},
    {"path_lissajous_2_3", 512, 2, "Two horizontal cycles cross three vertical cycles in a closed eight-beat Lissajous path."},
    {"path_rose_4", 512, 2, "A signed radial oscillation draws four petals, passing through the centre between them."},
    {"path_rose_5", 512, 2, "Five petals in one complete eight-beat traversal; the odd-petal parameter runs through pi, not two pi."},
    {"path_bowed_diamond", 512, 2, "An astroid-shaped loop with inward-curved edges and naturally slow corners."},
    {"path_orbit_dwell", 512, 2, "An ellipse whose phase slows to zero speed at the loop boundary and accelerates through the opposite side."},
    {"path_torus_knot", 1024, 3, "Two turns around the axis and three through the tube. XYZ is retained; the demo projects depth."},
    {"path_woven_3d", 1024, 3, "Independent two-, three-, and five-cycle XYZ oscillations close after sixteen beats."},
    {"path_crank_slider", 256, 2, "Horizontal slider-crank travel with rod length three and crank radius one; vertical motion follows the crank tip."},
    {"rhythm_five_four", 512, 2, "5 lateral hits against four vertical hits per four beats; two bars preserve alternating directions."},
    {"rhythm_seven_four", 512, 2, "7 lateral hits against four vertical hits per four beats; two bars preserve alternating directions."},
    {"rhythm_euclid_7_16", 512, 2, "7 evenly distributed onsets on a sixteen-step grid, repeated with alternating sides over eight beats."},
    {"rhythm_euclid_5_16", 512, 2, "5 evenly distributed onsets on a sixteen-step grid, repeated with alternating sides over eight beats."},
    {"rhythm_swung_answer", 256, 2, "A two-to-one swung call on the right, answered on the left; four beats and eight peak-aligned gestures."},
    {"rhythm_group_332", 512, 2, "Groups of three, three, and two eighth notes. Six alternating accents make an eight-beat loop."},
    {"rhythm_group_223", 448, 2, "Two 7/8 bars grouped as 2+2+3 eighth notes: a seven-quarter-note loop, not forced into four beats."},
    {"rhythm_three_four_five", 512, 3, "Three X, four Y, and five Z gestures share an eight-beat phrase, with exact rational peak times."},
};

struct Groove {
    const char* key;
    int period;
    const char* label;
    const char* note;  // empty: the block-1 description ends after the title's full stop
};

// Grooves 0-35 make blocks 1 and 2 of the beat family, grooves 36-67 block 3.
constexpr Groove kGrooves[] = {
    {"four_floor", 256, "Four to the floor / bare pulse", "Equal quarter-note kicks only. This shared foundation is not itself a complete genre."},  // 0
    {"house_classic", 512, "House / kick-clap-offbeat hat", ""},  // 1
    {"house_shuffle", 512, "House / shuffled hats", ""},  // 2
    {"house_jack", 512, "Jackin house / ghost-kick turnaround", "Original swung variant: extra ghost kicks and claps; not a transcription of a named track."},  // 3
    {"techno_drive", 512, "Techno / straight driving pulse", ""},  // 4
    {"techno_toms", 512, "Techno / tom conversation", ""},  // 5
    {"techno_broken", 512, "Techno / broken kick study", "A deliberately broken alternative; not all techno uses a quarter-note kick."},  // 6
    {"techno_polymeter", 768, "Techno / three-step percussion cycle", "Original three-sixteenth percussion cycle over 4/4: both layers close after three bars."},  // 7
    {"ukg_two_step", 512, "UK garage / two-step foundation", "Backbeats on 2/4; the second kick sits on the & of 3. Off-grid hats supply shuffle."},  // 8
    {"ukg_skip", 512, "UK garage / skipping answer", ""},  // 9
    {"ukg_four_four", 512, "UK garage / four-four shuffle", "Garage also has a four-to-the-floor branch; it is not all two-step."},  // 10
    {"speed_garage", 512, "Speed garage / offbeat bass answers", "Bass onsets are included as movement cues. The audio uses a simple synthesizer rather than a sampled bass patch."},  // 11
    {"bassline", 512, "Bassline / syncopated low-end hooks", ""},  // 12
    {"grime_sparse", 512, "Grime / sparse square-cut backbeat", ""},  // 13
    {"grime_syncopated", 512, "Grime / displaced snare conversation", "A 140 BPM syncopated study; grime has no single mandatory snare pattern."},  // 14
    {"grime_half", 512, "Grime / half-time negative space", ""},  // 15
    {"drill_tresillo", 512, "UK drill / grouped hats", "3+3+2 sixteenth grouping is not a tuplet: the grid here remains straight."},  // 16
    {"drill_displaced", 512, "UK drill / moving second-bar snare", "Snare: beat 3 in bar one, beat 4 in bar two. This is one common design, not a rule for all drill."},  // 17
    {"drill_rolls", 512, "UK drill / true triplet hat fill", "The added hat fill uses rational tuplets; grouped hats and triplet rolls remain distinct concepts."},  // 18
    {"amen_four_bar", 1024, "Amen / four-bar structural study", "The Winstons, \"Amen, Brother\" (1969), G. Coleman. Four bars, not a generic 2-bar loop. Timing/velocity are approximations; no original recording or measured human microtiming."},  // 19
    {"amen_no_ghosts", 1024, "Amen / remove the ghost snares", "A/B study: only quiet snares removed. This deliberately simplified version is not the complete Amen."},  // 20
    {"jungle_chops", 512, "Jungle / rearranged break fragments", "Original chopped-break-style arrangement, not the original Amen sequence."},  // 21
    {"jungle_ghosts", 512, "Jungle / ghosts and snare rolls", ""},  // 22
    {"jungle_switch", 1024, "Jungle / full-time to half-time answer", "Four-bar original phrase: the final half uses fewer main snares, not a tempo change."},  // 23
    {"dnb_two_step", 512, "Drum & bass / two-step foundation", ""},  // 24
    {"dnb_rolling", 512, "Drum & bass / rolling ghosts", ""},  // 25
    {"dnb_half", 512, "Drum & bass / half-time space", ""},  // 26
    {"dubstep_half", 512, "Dubstep / half-step anchor", ""},  // 27
    {"dubstep_skip", 512, "Dubstep / skippy half-step", ""},  // 28
    {"trap_trills", 512, "Trap / half-time and hat trills", ""},  // 29
    {"electro", 512, "Electro / broken machine groove", ""},  // 30
    {"trance", 512, "Trance / offbeat lift", "Offbeat bass/pulse is included. A rhythmic sketch cannot supply trance harmony, timbre or arrangement."},  // 31
    {"rave_breaks", 512, "Rave / four-floor plus break layer", ""},  // 32
    {"dembow", 512, "Reggaeton / dembow answer", "Quarter-note kick version with offbeat snare answers; one useful dembow foundation, not every dancehall rhythm."},  // 33
    {"disco", 512, "Disco / lively hat accents", ""},  // 34
    {"amapiano", 512, "Amapiano / shaker and bass-percussion study", "An original percussion and log-drum-style bass rhythm. Pitched bass is a cue lane, not a downloaded sample."},  // 35
    {"jersey_five", 512, "Jersey / five-kick foundation", ""},  // 36
    {"jersey_call", 512, "Jersey / call and turnaround", ""},  // 37
    {"footwork_triplet", 512, "Footwork / triplet bass reply", ""},  // 38
    {"footwork_sparse", 512, "Footwork / interrupted half-time", ""},  // 39
    {"funky_toms", 512, "UK funky / tom-led skips", ""},  // 40
    {"funky_syncopated", 512, "UK funky / broken response", ""},  // 41
    {"broken_push", 512, "Broken beat / early-and-late answers", ""},  // 42
    {"broken_shuffle", 512, "Broken beat / shuffled rim circuit", ""},  // 43
    {"afro_bell", 512, "Afro house / bell and kick weave", ""},  // 44
    {"afro_cross", 512, "Afro house / three-over-four percussion", ""},  // 45
    {"gqom_space", 512, "Gqom / broken-kick space study", ""},  // 46
    {"gqom_exchange", 512, "Gqom / staggered drum exchange", ""},  // 47
    {"baile_toms", 512, "Baile funk / low-drum conversation", ""},  // 48
    {"baile_response", 512, "Baile funk / syncopated answer", ""},  // 49
    {"reggae_one_drop", 512, "Reggae / one-drop foundation", ""},  // 50
    {"reggae_steppers", 512, "Dub / steppers foundation", ""},  // 51
    {"reggae_rockers", 512, "Reggae / kick-on-one-and-three study", ""},  // 52
    {"son_clave_32", 512, "Latin club / 3-2 son clave", ""},  // 53
    {"son_clave_23", 512, "Latin club / 2-3 son clave", ""},  // 54
    {"psy_rolling", 512, "Psy / straight rolling bass gaps", ""},  // 55
    {"psy_offbeat", 512, "Trance / offbeat bass exchange", ""},  // 56
    {"hard_reverse", 512, "Hard dance / delayed bass swell cues", ""},  // 57
    {"italo_machine", 512, "Italo / machine rim conversation", ""},  // 58
    {"electro_robot", 512, "Electro / asymmetric machine break", ""},  // 59
    {"acid_percussion", 512, "Acid house / syncopated machine accents", ""},  // 60
    {"techno_rumble", 512, "Techno / delayed low-end answer", ""},  // 61
    {"ukg_rim_shuffle", 512, "Garage / rim-led skipping pocket", ""},  // 62
    {"dnb_push", 512, "DnB / kick pickup and ghost reply", ""},  // 63
    {"jungle_switchback", 512, "Jungle / two-bar switchback", ""},  // 64
    {"amapiano_answer", 512, "Amapiano / log-like bass answer", ""},  // 65
    {"dancehall_space", 512, "Dancehall / spacious offbeat replies", ""},  // 66
    {"dembow_push", 512, "Reggaeton / dembow with pickup answer", ""},  // 67
};
constexpr std::size_t kFirstBlockGrooves = 36;

struct Motion {
    const char* key;
    const char* title;
    const char* tail;         // blocks 2 and 3; empty for the four first motions
    const char* block3_title; // the four first motions in block 3
    const char* block3_tail;
};

constexpr Motion kMotions[] = {
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
};
constexpr std::size_t kFirstMotions = 4;

// Grooves whose bounce and step patterns move on two axes only.
constexpr const char* kFlatBounceStepGrooves[] = {
    "four_floor",   "house_classic",   "house_shuffle", "house_jack",    "techno_drive",
    "techno_toms",  "techno_broken",   "techno_polymeter", "ukg_two_step", "ukg_skip",
    "ukg_four_four", "grime_sparse",   "grime_syncopated", "jungle_chops", "jungle_ghosts",
    "jungle_switch", "dnb_two_step",   "dnb_rolling",   "electro",       "rave_breaks",
    "dembow",       "disco",           "jersey_five",   "baile_toms",
};

const std::string kEmDash = "\xE2\x80\x94";
const std::string kEnDash = "\xE2\x80\x93";

// Sum of the underscore-separated numbers of a suffix such as "3_4_5".
int number_sum(const std::string& suffix) {
    int sum = 0;
    std::size_t i = 0;
    while (i < suffix.size()) {
        std::size_t end = suffix.find('_', i);
        if (end == std::string::npos) {
            end = suffix.size();
        }
        sum += std::stoi(suffix.substr(i, end - i));
        i = end + 1;
    }
    return sum;
}

std::pair<std::string, std::string> split_pair(const std::string& suffix) {
    const std::size_t cut = suffix.find('_');
    return {suffix.substr(0, cut), suffix.substr(cut + 1)};
}

std::string two_digits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::vector<std::string> numbered(const std::string& stem, const std::string& tail = "") {
    std::vector<std::string> out;
    for (int n = 1; n <= 16; ++n) {
        out.push_back(stem + two_digits(n) + tail);
    }
    return out;
}

class ListBuilder {
public:
    void add(std::string name, std::string description, int period, int dimensions,
             std::string family) {
        list_.push_back(Record{std::move(name), std::move(description), period, dimensions,
                               std::move(family)});
    }

    // A family of sixteen: the name is key + "_" + suffix; the rest follows from the suffix
    // and its position in the list.
    template <class Period, class Dims, class Desc>
    void family(const std::string& key, const std::vector<std::string>& suffixes,
                Period period, Dims dims, Desc desc) {
        if (suffixes.size() != 16) {
            throw std::logic_error("family " + key + " does not list sixteen suffixes");
        }
        for (std::size_t i = 0; i < suffixes.size(); ++i) {
            const std::string& s = suffixes[i];
            add(key + "_" + s, desc(s, i), period(s), dims(s, i), key);
        }
    }

    std::vector<Record> take() { return std::move(list_); }

private:
    std::vector<Record> list_;
};

auto fixed_period(int p) {
    return [p](const std::string&) { return p; };
}
auto fixed_dims(int d) {
    return [d](const std::string&, std::size_t) { return d; };
}
auto fixed_desc(const char* text) {
    return [text](const std::string&, std::size_t) { return std::string(text); };
}
auto titled(std::vector<std::string> titles, std::string tail) {
    return [titles = std::move(titles), tail = std::move(tail)](const std::string&,
                                                                  std::size_t i) {
        return titles.at(i) + tail;
    };
}
auto dims_when(std::set<std::string> three, int otherwise = 2) {
    return [three = std::move(three), otherwise](const std::string& s, std::size_t) {
        return three.count(s) != 0 ? 3 : otherwise;
    };
}
auto dims_second_half_3() {
    return [](const std::string&, std::size_t i) { return i < 8 ? 2 : 3; };
}
auto dims_if_contains(std::string word) {
    return [word = std::move(word)](const std::string& s, std::size_t) {
        return s.find(word) != std::string::npos ? 3 : 2;
    };
}
auto group_period() {
    return [](const std::string& s) { return 32 * number_sum(s); };
}

// style_n names: each n with every style, in order.
std::vector<std::string> styles_by_n(const std::vector<std::string>& styles,
                                     const std::vector<int>& ns) {
    std::vector<std::string> out;
    for (const int n : ns) {
        for (const std::string& style : styles) {
            out.push_back(style + "_" + std::to_string(n));
        }
    }
    return out;
}

std::vector<std::string> pairs_with(const std::vector<std::string>& pairs,
                                    const std::vector<std::string>& kinds) {
    std::vector<std::string> out;
    for (const std::string& kind : kinds) {
        for (const std::string& p : pairs) {
            out.push_back(p + "_" + kind);
        }
    }
    return out;
}

void sixteen_families(ListBuilder& b) {
    b.family("wave",
             {"pinched", "shouldered", "folded", "double_fold", "rounded_square",
              "soft_rectifier", "skew_warp", "scoop_warp", "shelf_wave", "notched", "bottle",
              "reed", "unequal_peaks", "ripple_return", "soft_teeth", "warped_fold"},
             fixed_period(512), fixed_dims(1),
             titled({"Pinched sine", "Shouldered sine", "Folded sine", "Double-fold wave",
                     "Rounded square", "Soft rectified swell", "Phase-skew sweep",
                     "Scooped return", "Shelf and scoop", "Notched crest", "Bottle-neck swell",
                     "Reed flutter", "Unequal double crest", "Rippled recovery",
                     "Soft triple teeth", "Warped wave fold"},
                    "; a continuous shaped control wave, mapped to horizontal displacement."));
    b.family("env",
             {"lift_hold_drop", "inhale_exhale", "triple_swell", "rising_echo", "falling_echo",
              "anticipation", "plateau_scoop", "hesitant", "double_hold", "swell_recoil",
              "late_release", "split_attack", "suspended", "valley_peaks", "four_breaths",
              "return_stair"},
             fixed_period(512), fixed_dims(2),
             titled({"Lift, hold, settle", "Long inhale, short exhale", "Three unequal swells",
                     "Rising echo ladder", "Falling echo ladder", "Backward anticipation",
                     "Plateau then scoop", "Hesitant reach", "Two-height hold",
                     "Deep swell and recoil", "Late release", "Split attack",
                     "Suspended answer", "Valley between peaks", "Four breathing accents",
                     "Stepped soft recovery"},
                    " over an eight-beat phrase; smooth, resting joins."));
    {
        std::vector<std::string> seq;
        for (const char* shape : {"up_down", "pendulum", "octave", "unequal", "question",
                                  "answer", "ratchet", "stairs"}) {
            seq.push_back(std::string(shape) + "_even");
            seq.push_back(std::string(shape) + "_lilt");
        }
        b.family("seq", seq, fixed_period(512), fixed_dims(2),
                 [](const std::string& s, std::size_t) {
                     const std::string timing = s.substr(s.rfind('_') + 1);
                     return "A programmed position sequence with " + timing +
                            " segment durations and softened transitions.";
                 });
    }
    b.family("noise",
             {"drift_5", "drift_7", "drift_9", "drift_11", "orbit_6", "orbit_8", "orbit_10",
              "orbit_12", "ripple_5", "ripple_7", "ripple_9", "ripple_11", "depth_6", "depth_8",
              "depth_10", "depth_12"},
             fixed_period(1024), dims_if_contains("depth"),
             [](const std::string& s, std::size_t) {
                 return "Indexed SHA-256 control points in a closed " + s.substr(0, s.find('_')) +
                        " path. No mutable random state.";
             });
    b.family("orbit", numbered("harmonic_"), fixed_period(512), fixed_dims(2),
             fixed_desc("An ellipse combined with unequal horizontal and vertical harmonic "
                        "ripples."));
    b.family("weave",
             {"1_3", "1_4", "1_5", "2_5", "2_7", "3_4", "3_5", "3_7", "3_8", "4_5", "4_7", "4_9",
              "5_6", "5_7", "5_8", "5_9"},
             fixed_period(1024), fixed_dims(2), [](const std::string& s, std::size_t) {
                 const auto [a, c] = split_pair(s);
                 return a + " horizontal and " + c +
                        " vertical cycles; a phase-offset, closed 16-beat traversal.";
             });
    b.family("polar",
             {"rose_3", "rose_6", "rose_7", "rose_8", "rose_9", "rose_10", "rose_11", "rose_12",
              "scallop_2", "scallop_3", "scallop_4", "scallop_5", "scallop_6", "scallop_7",
              "scallop_8", "scallop_9"},
             fixed_period(1024), fixed_dims(2), [](const std::string& s, std::size_t) {
                 return std::string(
                     s.starts_with("rose")
                         ? "A complete signed-radius rose traversal; odd-petal roses use a "
                           "half-turn parameter."
                         : "A positive-radius scalloped loop; no centre crossings, with an "
                           "asymmetrically bent lobe.");
             });
    b.family("spiro",
             [] {
                 std::vector<std::string> out;
                 for (const char* side : {"inside", "outside"}) {
                     for (const char* p : {"3_1", "4_1", "5_2", "5_1", "7_2", "7_3", "8_3", "9_4"}) {
                         out.push_back(std::string(side) + "_" + p);
                     }
                 }
                 return out;
             }(),
             fixed_period(1024), fixed_dims(2), [](const std::string& s, std::size_t) {
                 return "A closed " + s.substr(0, s.find('_')) +
                        "-rolling circle trace, with pen radius smaller than the rolling radius.";
             });
    b.family("space",
             {"torus_2_5", "torus_2_7", "torus_3_4", "torus_3_5", "torus_3_7", "torus_4_5",
              "torus_4_7", "torus_5_6", "weave_1_2_3", "weave_1_3_4", "weave_2_3_4",
              "weave_2_3_7", "weave_2_5_7", "weave_3_4_5", "weave_3_5_7", "weave_4_5_7"},
             fixed_period(1024), fixed_dims(3), [](const std::string& s, std::size_t) {
                 return std::string(s.starts_with("torus")
                                        ? "A genuine XYZ closed torus-knot trajectory. The demo "
                                          "uses an oblique projection."
                                        : "Three coprime-frequency coordinate lanes with "
                                          "distinct phase offsets.");
             });
    b.family("mech",
             {"piston_short", "piston_long", "offset_crank", "scotch_yoke", "whitworth",
              "elliptic_cam", "two_lobe_cam", "three_lobe_cam", "escapement", "paddle",
              "wobble_plate", "rocking_beam", "coupled_cranks", "crank_rocker", "piston_balance",
              "cam_return"},
             fixed_period(512), dims_when({"wobble_plate", "crank_rocker", "piston_balance"}),
             titled({"Short-rod piston", "Long-rod piston", "Offset crank",
                     "Yoke with rocking linkage", "Quick-return linkage study",
                     "Elliptic cam follower", "Two-lobe cam follower", "Three-lobe cam follower",
                     "Soft escapement study", "Paddle-wheel tip", "Wobble-plate trace",
                     "Rocking beam", "Coupled cranks", "Crank and rocker study",
                     "Piston and balance mass", "Cam rise and return"},
                    "; an original kinematic-style position study, not an engineering "
                    "simulation."));
    b.family("euclid",
             {"2_5", "3_7", "3_10", "4_9", "4_11", "5_9", "5_11", "5_13", "5_14", "6_13", "7_12",
              "7_15", "7_17", "8_19", "9_20", "11_24"},
             [](const std::string& s) { return 32 * std::stoi(split_pair(s).second); },
             fixed_dims(2),
             fixed_desc("Evenly distributed accents with alternating sides; first onset is the "
                        "phrase accent."));
    b.family("poly",
             {"2_5", "2_7", "2_9", "3_5", "3_7", "3_8", "3_10", "4_5", "4_7", "4_9", "5_6", "5_7",
              "5_8", "5_9", "6_7", "7_8"},
             fixed_period(512), fixed_dims(3),
             fixed_desc("Two independent pulse trains share an eight-beat boundary. Each "
                        "right-lane gesture includes depth."));
    b.family("meter",
             {"2_3", "3_2", "3_2_2", "2_3_2", "3_4", "4_3", "2_2_2_3", "2_3_2_2", "3_2_3_2",
              "3_3_2_3", "2_2_3_2_3", "3_3_3_2", "4_3_3", "3_4_4", "2_3_3_2_3", "3_3_3_4"},
             group_period(), fixed_dims(3),
             fixed_desc("Group starts lean alternately left and right; quieter subdivisions "
                        "mark the eighth-note grid."));
    {
        std::vector<std::string> swing;
        for (const char* ratio : {"3_5", "2_3", "5_7", "3_4"}) {
            for (const char* kind : {"push", "answer", "skip", "shuffle"}) {
                swing.push_back(std::string(kind) + "_" + ratio);
            }
        }
        b.family("swing", swing, fixed_period(512),
                 [](const std::string& s, std::size_t) { return s.starts_with("answer") ? 2 : 3; },
                 [](const std::string& s, std::size_t) {
                     const std::size_t a = s.find('_');
                     const std::size_t c = s.find('_', a + 1);
                     return "Eight-beat " + s.substr(0, a) + " score with offbeats at " +
                            s.substr(a + 1, c - a - 1) + "/" + s.substr(c + 1) +
                            " of each beat; peaks follow the score.";
                 });
    }
    b.family("stick", numbered("study_"), fixed_period(512), fixed_dims(2),
             fixed_desc("Original R/L movement study with accented group leads, followed by its "
                        "hand-swapped answer. Not an official rudiment transcription."));
    b.family("gesture",
             {"side_reach", "cross_reach", "low_scoop", "high_arc", "corner_taps",
              "diagonal_touch", "box_return", "zigzag_lift", "duck_sway", "push_pull",
              "reach_depth", "bow_turn", "heel_toe", "hop_answer", "spiral_reach",
              "diamond_depth"},
             fixed_period(512),
             dims_when({"push_pull", "reach_depth", "bow_turn", "spiral_reach", "diamond_depth"}),
             [](const std::string&, std::size_t i) {
                 static const char* const phrases[] = {
                     "side reach",       "cross and reach", "low scoop",       "high arc",
                     "corner taps",      "diagonal touch",  "box and centre",  "zigzag lift",
                     "duck and sway",    "push and pull",   "reach through depth", "bow and turn",
                     "heel-toe abstract", "hop and answer", "spiral reach",    "depth diamond"};
                 return std::string("An original single-point ") + phrases[i] +
                        " gesture. Abstract motion, not a full-body dance or biomechanical "
                        "recording.";
             });
    const std::vector<std::string> eight_pairs = {"1_2", "1_3", "1_4", "1_5",
                                                  "2_3", "2_5", "3_4", "3_5"};
    b.family("ribbon", pairs_with(eight_pairs, {"slim", "deep"}), fixed_period(1024),
             fixed_dims(3),
             fixed_desc("A curved elliptical spine with variable radial width and linked depth "
                        "deflection."));
    b.family("contour", numbered("shaped_"), fixed_period(1024), dims_second_half_3(),
             fixed_desc("Signed-power oval edges with local ripples and an asymmetric bow."));
    b.family("silhouette", numbered("harmonic_"), fixed_period(1024), fixed_dims(3),
             fixed_desc("Three unequal harmonic components, with cross-axis phases and a small "
                        "linked depth term."));
    b.family("spline",
             {"kite", "hourglass", "hook", "crown", "bow", "crooked_cross", "asymmetric_star",
              "scoop", "rising_kite", "twisted_bow", "cup", "bridge", "double_bay",
              "slanted_loop", "fork", "folded_crown"},
             fixed_period(512), dims_second_half_3(),
             fixed_desc("Periodic cubic tangents connect asymmetrical controls with unequal "
                        "segment times."));
    b.family("tour",
             {"5_2", "7_2", "7_3", "8_3", "9_2", "9_4", "10_3", "11_2", "11_3", "11_4", "12_5",
              "13_2", "13_3", "13_4", "13_5", "14_3"},
             fixed_period(1024), dims_second_half_3(),
             fixed_desc("A noncircular vertex tour with eased corners and alternating dwell "
                        "lengths."));
    b.family("scan", styles_by_n({"flat", "bowed", "tilted", "depth"}, {3, 4, 5, 6}),
             fixed_period(1024), dims_if_contains("depth"),
             fixed_desc("An eased serpentine scan and an explicit outer return to the starting "
                        "point."));
    b.family("reach", styles_by_n({"scoop", "hook", "lift", "recoil"}, {3, 4, 5, 7}),
             fixed_period(1024), dims_if_contains("lift"),
             fixed_desc("Separate shaped reaches depart from and settle at a shared centre, "
                        "without reset jumps."));
    b.family("surface", pairs_with(eight_pairs, {"low", "wide"}), fixed_period(1024),
             fixed_dims(3),
             fixed_desc("A varying-radius surface path with coupled longitude and latitude; all "
                        "three coordinates are retained."));
    b.family("braid",
             {"1_2", "1_3", "1_4", "1_5", "2_3", "2_5", "3_4", "3_5", "1_6", "2_7", "3_7", "4_5",
              "4_7", "5_6", "5_7", "5_8"},
             fixed_period(1024), fixed_dims(3),
             fixed_desc("An offset tube centreline and a rolling cross-section with a second "
                        "depth ripple."));
    b.family("arm", numbered("coupled_"), fixed_period(1024), dims_second_half_3(),
             fixed_desc("Tip position of two kinematically driven links; not a dynamics "
                        "simulation or anatomical model."));
    b.family("dwell", numbered("phrase_"), fixed_period(1024), fixed_dims(3),
             fixed_desc("Two unequal lift-and-hold gestures, a transfer and a settling return; "
                        "holds have finite musical duration."));
    b.family("packet",
             styles_by_n({"alternating", "cascading", "crossing", "depth"}, {2, 3, 4, 5}),
             fixed_period(512), dims_if_contains("depth"),
             fixed_desc("Compact, smooth-edged oscillation packets arranged around a closed "
                        "phrase, with shaped side motion."));
    {
        std::vector<std::string> canon;
        std::vector<std::string> triplet;
        for (int n = 1; n <= 8; ++n) {
            canon.push_back(two_digits(n) + "_close");
            canon.push_back(two_digits(n) + "_late");
            triplet.push_back(two_digits(n) + "_answer");
            triplet.push_back(two_digits(n) + "_turnaround");
        }
        b.family("canon", canon, fixed_period(512), fixed_dims(3),
                 fixed_desc("A rational-beat motif passes between lateral and depth lanes, with "
                            "an altered second-half response."));
        b.family("echo",
                 styles_by_n({"regular", "shrinking", "expanding", "crossed"}, {3, 4, 5, 6}),
                 fixed_period(512), fixed_dims(3),
                 fixed_desc("An original decaying call and a differently directed answer; echo "
                            "spacing is preserved as fractions."));
        b.family("ladder",
                 {"2_3_4_6", "3_5_4_2", "2_5_3_7", "4_3_6_5", "2_4_7_3", "3_6_2_5", "5_3_7_4",
                  "6_4_3_2", "2_7_4_5", "7_3_5_2", "4_7_3_6", "5_2_6_3", "3_4_5_7", "6_5_4_3",
                  "7_5_3_4", "4_6_7_5"},
                 fixed_period(512), fixed_dims(3),
                 fixed_desc("Four two-beat regions change subdivision density while accents "
                            "mark region starts."));
        std::vector<std::string> necklace;
        for (int n = 1; n <= 16; ++n) {
            necklace.push_back(two_digits(n));
        }
        b.family("necklace", necklace, fixed_period(512), fixed_dims(3),
                 fixed_desc("A hand-authored binary accent word; its complement moves the other "
                            "side and rising accents add depth."));
        b.family("accent_walk",
                 {"5_1", "5_2", "7_1", "7_2", "7_3", "8_1", "8_3", "9_1", "9_2", "9_4", "10_3",
                  "11_2", "11_3", "12_5", "13_3", "13_5"},
                 fixed_period(1024), fixed_dims(3),
                 fixed_desc("A four-bar grid keeps its pulse spacing while a two-accent motif "
                            "migrates between bars."));
        b.family("triplet", triplet, fixed_period(512), fixed_dims(3),
                 fixed_desc("Triplet-grid gestures with deliberate omissions; gaps either "
                            "answer off-grid or rotate after four beats."));
    }
    b.family("dialogue",
             {"3_4_5", "5_3_4", "3_5_2", "2_5_4", "4_3_2", "3_2_4_5", "5_2_3_4", "2_3_5_3",
              "3_4_3_5", "5_4_2_3", "2_4_5_2", "4_5_3_2", "3_5_4_3", "5_3_2_5", "2_5_3_5",
              "4_3_5_4"},
             group_period(), fixed_dims(3),
             fixed_desc("Different eighth-note group lengths pass a phrase between directions, "
                        "with late pickup responses."));
    b.family("burst",
             {"3_5_2", "4_3_6", "5_2_4", "2_7_3", "3_4_5", "5_3_7", "6_2_5", "4_7_2", "7_3_4",
              "2_5_6", "5_7_3", "3_6_4", "4_5_7", "6_3_5", "7_4_3", "5_6_2"},
             fixed_period(512), fixed_dims(3),
             fixed_desc("Three unevenly subdivided directional bursts, deliberate gaps and a "
                        "late settling accent."));
}

int beat_dimensions(const Groove& g, std::size_t motion) {
    const std::string key = g.key;
    if (key == "four_floor" && motion == 2) {
        return 2;  // orbit of the bare pulse stays in the plane
    }
    if (motion < 2) {
        for (const char* flat : kFlatBounceStepGrooves) {
            if (key == flat) {
                return 2;
            }
        }
    }
    return 3;
}

void add_beat(ListBuilder& b, const Groove& g, std::size_t m, int block) {
    const Motion& motion = kMotions[m];
    std::string description = std::string(g.label) + " " + kEmDash + " ";
    if (block == 1) {
        description += std::string(motion.title) + ". " + g.note;
    } else if (block == 3 && m < kFirstMotions) {
        description += std::string(motion.block3_title) + ". " + motion.block3_tail;
    } else {
        description += std::string(motion.title) + ". " + motion.tail;
    }
    b.add(std::string("beat_") + g.key + "_" + motion.key, std::move(description), g.period,
          beat_dimensions(g, m), "beat");
}

void beat_family(ListBuilder& b) {
    constexpr std::size_t groove_count = std::size(kGrooves);
    constexpr std::size_t motion_count = std::size(kMotions);
    for (std::size_t g = 0; g < kFirstBlockGrooves; ++g) {
        for (std::size_t m = 0; m < kFirstMotions; ++m) {
            add_beat(b, kGrooves[g], m, 1);
        }
    }
    for (std::size_t g = 0; g < kFirstBlockGrooves; ++g) {
        for (std::size_t m = kFirstMotions; m < motion_count; ++m) {
            add_beat(b, kGrooves[g], m, 2);
        }
    }
    for (std::size_t g = kFirstBlockGrooves; g < groove_count; ++g) {
        for (std::size_t m = 0; m < motion_count; ++m) {
            add_beat(b, kGrooves[g], m, 3);
        }
    }
}

std::string family_of(const std::string& name) {
    if (name.starts_with("accent_walk_")) {
        return "accent_walk";
    }
    return name.substr(0, name.find('_'));
}

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++n;
    }
    return n;
}

void require(bool ok, const std::string& message) {
    if (!ok) {
        throw std::logic_error("record list: " + message);
    }
}

// The list is data typed in by hand; prove its shape before anything uses it.
void check_list(const std::vector<Record>& list) {
    require(list.size() == 1716, "expected 1716 records, found " + std::to_string(list.size()));
    std::set<std::string> names;
    std::map<int, int> periods;
    std::map<int, int> dims;
    int em = 0;
    int en = 0;
    for (const Record& r : list) {
        require(names.insert(r.name).second, "duplicate name " + r.name);
        require(r.name.size() >= 8 && r.name.size() <= 32, r.name + ": name length");
        require(r.name[0] >= 'a' && r.name[0] <= 'z', r.name + ": first byte");
        for (const char c : r.name) {
            require((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_',
                    r.name + ": name byte");
        }
        require(r.family == family_of(r.name), r.name + ": family key " + r.family);
        require(r.name.starts_with(r.family + "_"), r.name + ": family prefix");
        require(r.description.size() >= 43 && r.description.size() <= 235,
                r.name + ": description length " + std::to_string(r.description.size()));
        require(r.description.find('\n') == std::string::npos, r.name + ": description line");
        const std::size_t ems = count_of(r.description, kEmDash);
        const std::size_t ens = count_of(r.description, kEnDash);
        std::size_t non_ascii = 0;
        for (const char c : r.description) {
            non_ascii += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
        }
        require(non_ascii == 3 * (ems + ens), r.name + ": unexpected non-ASCII text");
        em += ems != 0 ? 1 : 0;
        en += ens != 0 ? 1 : 0;
        require(r.period % 32 == 0 && r.period >= 160 && r.period <= 1024,
                r.name + ": period " + std::to_string(r.period));
        require(r.dimensions >= 1 && r.dimensions <= 3, r.name + ": dimensions");
        ++periods[r.period];
        ++dims[r.dimensions];
    }
    require(em == 1088 && en == 4, "dash census " + std::to_string(em) + "/" + std::to_string(en));
    const std::map<int, int> expected_periods = {
        {256, 41}, {512, 1304}, {1024, 307}, {768, 17}, {352, 6}, {416, 6},
        {448, 6},  {224, 5},    {288, 5},    {480, 5},  {320, 4}, {384, 4},
        {160, 3},  {544, 1},    {608, 1},    {640, 1}};
    require(periods == expected_periods, "period census");
    require(dims == std::map<int, int>{{1, 29}, {2, 321}, {3, 1366}}, "dimension census");
    const std::pair<std::size_t, const char*> edges[] = {
        {0, "lfo_breathe"},           {27, "groove_b_grid"},
        {28, "lfo_twin_swell"},       {52, "wave_pinched"},
        {627, "burst_5_6_2"},         {628, "beat_four_floor_bounce"},
        {771, "beat_amapiano_glide"}, {772, "beat_four_floor_surge"},
        {1203, "beat_amapiano_ricochet"}, {1204, "beat_jersey_five_bounce"},
        {1715, "beat_dembow_push_ricochet"}};
    for (const auto& [pos, name] : edges) {
        require(list[pos].name == name, "position " + std::to_string(pos) + " holds " +
                                            list[pos].name + ", not " + name);
    }
    const auto description_of = [&](const std::string& name) {
        for (const Record& r : list) {
            if (r.name == name) {
                return r.description;
            }
        }
        return std::string();
    };
    const std::pair<const char*, std::string> samples[] = {
        {"beat_house_classic_bounce", "House / kick-clap-offbeat hat " + kEmDash +
                                          " Kick-led bounce. "},
        {"beat_four_floor_surge", "Four to the floor / bare pulse " + kEmDash +
                                      " Forward surge. Kick thrust through depth with "
                                      "contrasting snare lift and hat detail."},
        {"beat_jersey_five_glide", "Jersey / five-kick foundation " + kEmDash +
                                       " Bass / phrase glide. Original Vessa 05 continuous "
                                       "phrase path with bass excursions."},
        {"beat_four_floor_glide", "Four to the floor / bare pulse " + kEmDash +
                                      " Bass-and-phrase glide. Equal quarter-note kicks only. "
                                      "This shared foundation is not itself a complete genre."},
        {"lfo_breathe",
         "A four-beat, single-axis sine. The quiet reference for judging busier shapes."},
        {"weave_3_8",
         "3 horizontal and 8 vertical cycles; a phase-offset, closed 16-beat traversal."},
        {"swing_shuffle_3_4",
         "Eight-beat shuffle score with offbeats at 3/4 of each beat; peaks follow the score."},
    };
    for (const auto& [name, text] : samples) {
        require(description_of(name) == text, std::string(name) + ": description");
    }
    const std::pair<const char*, int> sample_periods[] = {
        {"euclid_2_5", 160},          {"meter_2_3_3_2_3", 416},
        {"dialogue_4_3_5_4", 512},    {"rhythm_group_223", 448},
        {"beat_techno_polymeter_spring", 768}, {"beat_amen_four_bar_box", 1024},
        {"dialogue_3_4_5", 384},      {"meter_3_3_3_4", 416},
        {"euclid_11_24", 768}};
    for (const auto& [name, period] : sample_periods) {
        const Record* r = find_record(name);
        require(r != nullptr && r->period == period, std::string(name) + ": period");
    }
}

std::vector<Record> build_list() {
    ListBuilder b;
    for (const FixedRecord& r : kFirstRecords) {
        b.add(r.name, r.description, r.period, r.dimensions, family_of(r.name));
    }
    sixteen_families(b);
    beat_family(b);
    return b.take();
}

std::string& data_dir_storage() {
    static std::string dir = "tools/data";
    return dir;
}

}  // namespace

const std::vector<Record>& records() {
    static const std::vector<Record> list = build_list();
    return list;
}

const Record* find_record(std::string_view name) {
    static const std::map<std::string, std::size_t, std::less<>> index = [] {
        std::map<std::string, std::size_t, std::less<>> m;
        const std::vector<Record>& list = records();
        for (std::size_t i = 0; i < list.size(); ++i) {
            m.emplace(list[i].name, i);
        }
        return m;
    }();
    const auto it = index.find(name);
    return it == index.end() ? nullptr : &records()[it->second];
}

std::size_t record_position(std::string_view name) {
    const Record* r = find_record(name);
    return r == nullptr ? records().size() : static_cast<std::size_t>(r - records().data());
}

void check_record_list() { check_list(records()); }

const std::string& data_dir() { return data_dir_storage(); }
void set_data_dir(std::string dir) { data_dir_storage() = std::move(dir); }

}  // namespace kgen
