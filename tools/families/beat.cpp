// beat: drum scores (grooves, in beat_grooves.cpp) times motions (beat_motions.cpp),
// beat_<groove>_<motion>. The period is the groove's length in bars; the later grooves
// play the later version of every motion that has one. No numbers in the names other
// than the clave directions 32 and 23 (the three side first or second) and the eight of
// figure8.
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "families/beat_motions.hpp"
#include "families/beat_score.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::beat::GrooveRow;
using kgen::beat::MotionDef;
using kgen::beat::Score;
using kgen::beat::Version;

// "label — title. sentence", the groove's note standing in for an empty sentence.
std::string description(const GrooveRow& g, const Version& v) {
    return std::string(g.label)
        .append(" \xE2\x80\x94 ")
        .append(v.title)
        .append(". ")
        .append(v.sentence.empty() ? std::string_view(g.note) : v.sentence);
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

// One groove with its score, built once for all its motions.
struct Played {
    const GrooveRow* row;
    std::shared_ptr<const Score> score;
};

std::vector<Played> played(const std::vector<GrooveRow>& set) {
    std::vector<Played> out;
    for (const GrooveRow& row : set) {
        out.push_back(Played{&row, std::make_shared<const Score>(kgen::beat::make_score(row))});
    }
    return out;
}

void declare(const Played& g, const MotionDef& motion, bool later) {
    const Version& v = later && motion.later ? *motion.later : motion.first;
    kgen::define("beat_" + std::string(g.row->key) + "_" + std::string(motion.key),
                 kgen::beat::period(*g.row), kgen::beat::dimensions(v, *g.score),
                 description(*g.row, v), [score = g.score, &v](const kgen::Record& r) {
                     kgen::Block block = kgen::beat::make_motion(v, *score);
                     require_shape(r.name, block);
                     return block;
                 });
}

}  // namespace

KGEN_FAMILY(beat, .peak_low = 0.1552, .peak_high = 0.92, .step = 0.268) {
    const std::vector<Played> earlier = played(kgen::beat::grooves().earlier);
    const std::vector<Played> later = played(kgen::beat::grooves().later);
    // The earlier grooves with the motions that have a later version (their descriptions
    // end with the groove's note), then with the others; then the later grooves with every
    // motion.
    for (const bool first : {true, false}) {
        for (const Played& g : earlier) {
            for (const MotionDef& m : kgen::beat::motions()) {
                if (m.later.has_value() == first) {
                    declare(g, m, false);
                }
            }
        }
    }
    for (const Played& g : later) {
        for (const MotionDef& m : kgen::beat::motions()) {
            declare(g, m, true);
        }
    }
}
