// beat: 68 drum scores (grooves, in beat_grooves.cpp) times 16 motions (generators in
// gen/beat_motions.cpp), beat_<groove>_<motion>. The period is the groove's length in
// bars times 256 pips; the first four motions have a newer version that the last 32
// grooves use. No numbers in the names other than the clave directions 32 and 23 (the
// three side first or second) and the eight of figure8.
#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "gen/beat_motions.hpp"
#include "gen/beat_score.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::beat::GrooveRow;
using kgen::beat::kFirstMotions;
using kgen::beat::kMotions;

// Grooves from this position on are the later set: they use the newer first motions, and
// all their members follow those of the earlier grooves in the table.
constexpr std::size_t kNewerFrom = 36;
constexpr int kBarPips = 256;

// Grooves whose bounce and step patterns move on two axes only.
constexpr std::string_view kFlatBounceStep[] = {
    "four_floor",   "house_classic",   "house_shuffle", "house_jack",    "techno_drive",
    "techno_toms",  "techno_broken",   "techno_polymeter", "ukg_two_step", "ukg_skip",
    "ukg_four_four", "grime_sparse",   "grime_syncopated", "jungle_chops", "jungle_ghosts",
    "jungle_switch", "dnb_two_step",   "dnb_rolling",   "electro",       "rave_breaks",
    "dembow",       "disco",           "jersey_five",   "baile_toms",
};

int dimensions(const GrooveRow& g, std::size_t motion) {
    const std::string_view key = g.key;
    if (key == "four_floor" && motion == 2) {
        return 2;  // orbit of the bare pulse stays in the plane
    }
    if (motion < 2) {
        for (const std::string_view flat : kFlatBounceStep) {
            if (key == flat) {
                return 2;
            }
        }
    }
    return 3;
}

// "label — title. sentence": the first motions end with the groove's note, or with their
// newer sentence for the later grooves; the others with their own.
std::string description(const GrooveRow& g, std::size_t motion, bool newer) {
    const kgen::beat::Motion& m = kMotions[motion];
    std::string text = std::string(g.label) + " \xE2\x80\x94 ";
    if (motion >= kFirstMotions) {
        return text.append(m.title).append(". ").append(m.tail);
    }
    if (newer) {
        return text.append(m.newer_title).append(". ").append(m.newer_tail);
    }
    return text.append(m.title).append(". ").append(g.note);
}

// Rules the checker cannot know: a peak of 0.92 is reached at one pip only, and no loop
// starts at the origin.
void require_shape(const std::string& name, const kgen::Block& block) {
    kgen::Block r = block;
    kgen::round_block(r);
    int at_cap = 0;
    for (const kgen::Sample& s : r) {
        if (std::fabs(s.x) == 0.92 || std::fabs(s.y) == 0.92 || std::fabs(s.z) == 0.92) {
            ++at_cap;
        }
    }
    if (at_cap > 1) {
        throw std::runtime_error(name + " reaches 0.92 at " + std::to_string(at_cap) + " pips");
    }
    if (r.front().x == 0.0 && r.front().y == 0.0 && r.front().z == 0.0) {
        throw std::runtime_error(name + " starts at the origin");
    }
}

void declare(std::size_t groove, std::size_t motion) {
    const GrooveRow& row = kgen::beat::grooves()[groove];
    const bool newer = groove >= kNewerFrom;
    const std::string name =
        "beat_" + std::string(row.key) + "_" + std::string(kMotions[motion].key);
    kgen::define(name, row.bars * kBarPips, dimensions(row, motion),
                 description(row, motion, newer), [groove, motion, newer](const kgen::Record& r) {
                     const kgen::beat::Score score =
                         kgen::beat::make_score(kgen::beat::grooves()[groove]);
                     kgen::Block block = kgen::beat::make_motion(motion, newer, score);
                     require_shape(r.name, block);
                     return block;
                 });
}

}  // namespace

KGEN_FAMILY(beat, .peak_low = 0.1552, .peak_high = 0.92, .step = 0.268) {
    const std::size_t grooves = kgen::beat::grooves().size();
    // The earlier grooves with their first motions, then with the others; then the later
    // grooves with every motion.
    for (std::size_t g = 0; g < kNewerFrom; ++g) {
        for (std::size_t m = 0; m < kFirstMotions; ++m) {
            declare(g, m);
        }
    }
    for (std::size_t g = 0; g < kNewerFrom; ++g) {
        for (std::size_t m = kFirstMotions; m < kMotions.size(); ++m) {
            declare(g, m);
        }
    }
    for (std::size_t g = kNewerFrom; g < grooves; ++g) {
        for (std::size_t m = 0; m < kMotions.size(); ++m) {
            declare(g, m);
        }
    }
}
