// beat: 68 drum scores (grooves, in beat_grooves.cpp) times 16 motions (generators in
// gen/beat_motions.cpp), beat_<groove>_<motion>. The period is the groove's length in
// bars times 256 pips; the first four motions have a newer version that the last 32
// grooves use. No numbers in the names other than the clave directions 32 and 23 (the
// three side first or second) and the eight of figure8.
#include <cmath>
#include <stdexcept>
#include <string>

#include "gen/beat_motions.hpp"
#include "gen/beat_score.hpp"
#include "gen/kgen.hpp"

namespace {

// Grooves from this position on use the newer first motions.
constexpr std::size_t kNewerFrom = 36;

struct Member {
    std::size_t groove;
    std::size_t motion;
};

Member member_of(const std::string& name) {
    const auto& gs = kgen::beat::grooves();
    for (std::size_t m = 0; m < kgen::beat::kMotionKeys.size(); ++m) {
        const std::string tail = "_" + std::string(kgen::beat::kMotionKeys[m]);
        if (name.size() <= tail.size() + 5 || !name.ends_with(tail)) {
            continue;
        }
        const std::string key = name.substr(5, name.size() - 5 - tail.size());
        for (std::size_t g = 0; g < gs.size(); ++g) {
            if (key == gs[g].key) {
                return Member{g, m};
            }
        }
    }
    throw std::runtime_error("no groove and motion make " + name);
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

}  // namespace

KGEN_FAMILY(beat) {
    for (const kgen::Record& rec : kgen::records()) {
        if (rec.family != "beat") {
            continue;
        }
        const Member m = member_of(rec.name);
        const kgen::beat::GrooveRow& row = kgen::beat::grooves()[m.groove];
        if (row.bars * 256 != rec.period) {
            throw std::runtime_error(rec.name + ": the groove's bars do not give its period");
        }
        kgen::define(rec.name, [m](const kgen::Record& r) {
            const auto& g = kgen::beat::grooves()[m.groove];
            const kgen::beat::Score score = kgen::beat::make_score(g);
            kgen::Block block = kgen::beat::make_motion(m.motion, m.groove >= kNewerFrom, score);
            require_shape(r.name, block);
            return block;
        });
    }
}
