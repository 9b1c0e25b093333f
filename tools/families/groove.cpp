// groove: two two-bar funk drum excerpts, A and B, written as scores of kick, snare, ghost
// snare and hi-hat hits on the sixteenth grid, each with a velocity and the drummer's
// timing offset in pips. _played puts every hit at its offset (snares laid back, ghosts
// early, offbeat hats a little late); _grid is the same hits quantised to sixteenths.
// Motion: kick pulls down and snare lifts (y), hats push right and ghosts left (x), each
// pulse as large as the hit's velocity (louder drums also a little wider), so the loudest
// hit sets the peak (1.0 in B).
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

enum class Drum { kick, snare, ghost, hat };

struct Hit {
    int sixteenth;  // 0 ... 31 over the two bars
    Drum drum;
    double velocity;
    int offset;  // pips early (-) or late (+) in the performance
};

struct Groove {
    const char* key;
    const char* excerpt;  // which excerpt, and where it stands in the source
    std::vector<Hit> hits;
};

using D = Drum;

const std::vector<Groove> kGrooves = {
    {"groove_a", "A (4–12 source beats)",
     {{0, D::kick, 0.70, 0},    {0, D::hat, 0.45, -1},   {2, D::hat, 0.30, 2},
      {3, D::kick, 0.50, 1},    {4, D::snare, 0.74, 3},  {4, D::hat, 0.45, -1},
      {6, D::hat, 0.30, 2},     {7, D::ghost, 0.22, -2}, {8, D::hat, 0.45, 0},
      {9, D::ghost, 0.18, -3},  {10, D::kick, 0.60, -1}, {10, D::hat, 0.30, 2},
      {12, D::snare, 0.72, 2},  {12, D::hat, 0.45, -1},  {14, D::kick, 0.55, 1},
      {14, D::hat, 0.30, 3},    {15, D::ghost, 0.20, -2}, {16, D::kick, 0.70, -1},
      {16, D::hat, 0.45, 0},    {18, D::hat, 0.30, 2},   {19, D::kick, 0.50, 0},
      {20, D::snare, 0.74, 3},  {20, D::hat, 0.45, -1},  {22, D::kick, 0.55, 1},
      {22, D::hat, 0.30, 2},    {23, D::ghost, 0.20, -2}, {24, D::hat, 0.45, -1},
      {25, D::ghost, 0.18, -2}, {26, D::kick, 0.60, 0},  {26, D::hat, 0.30, 3},
      {28, D::snare, 0.73, 2},  {28, D::hat, 0.45, 0},   {29, D::ghost, 0.25, -3},
      {30, D::hat, 0.30, 2},    {31, D::ghost, 0.30, -2}}},
    {"groove_b", "B (36–44 source beats)",
     {{0, D::kick, 0.90, 0},    {0, D::hat, 0.50, -1},   {2, D::hat, 0.35, 2},
      {3, D::ghost, 0.20, -3},  {4, D::snare, 0.85, 3},  {4, D::hat, 0.50, -1},
      {5, D::ghost, 0.15, -2},  {6, D::kick, 0.60, 1},   {6, D::hat, 0.35, 2},
      {7, D::ghost, 0.25, -2},  {8, D::hat, 0.50, 0},    {9, D::kick, 0.65, -1},
      {10, D::hat, 0.35, 3},    {11, D::ghost, 0.25, -3}, {12, D::snare, 0.90, 2},
      {12, D::hat, 0.50, -1},   {14, D::kick, 0.55, 1},  {14, D::hat, 0.35, 2},
      {15, D::ghost, 0.30, -2}, {16, D::kick, 0.90, -1}, {16, D::hat, 0.50, 0},
      {18, D::kick, 0.60, 1},   {18, D::hat, 0.35, 2},   {19, D::ghost, 0.20, -2},
      {20, D::snare, 0.85, 3},  {20, D::hat, 0.50, -1},  {21, D::ghost, 0.20, -3},
      {22, D::hat, 0.35, 2},    {23, D::kick, 0.60, 0},  {24, D::hat, 0.50, -1},
      {25, D::ghost, 0.25, -2}, {26, D::kick, 0.70, 1},  {26, D::hat, 0.35, 3},
      {27, D::ghost, 0.30, -2}, {28, D::snare, 1.00, 2}, {28, D::hat, 0.50, 0},
      {30, D::hat, 0.60, 1},    {31, D::ghost, 0.35, -1}}},
};

constexpr int kSixteenthPips = 16;

kgen::Pulse pulse(const Hit& h, bool played) {
    const double onset = kSixteenthPips * h.sixteenth + (played ? h.offset : 0);
    const double v = h.velocity;
    switch (h.drum) {
        case Drum::kick:
            return {onset, 6.0 + 6.0 * v, {0.0, -v, 0.0}};
        case Drum::snare:
            return {onset, 6.0 + 6.0 * v, {0.0, v, 0.0}};
        case Drum::ghost:
            return {onset, 7.0, {-v, 0.0, 0.0}};
        case Drum::hat:
            break;
    }
    return {onset, 9.0, {v, 0.0, 0.0}};
}

}  // namespace

KGEN_FAMILY(groove, .peak_low = 0.6488, .peak_high = 1.0, .step = 0.135,
            .full_scale = true) {
    for (const Groove& g : kGrooves) {
        double loudest = 0.0;
        for (const Hit& h : g.hits) {
            loudest = h.velocity > loudest ? h.velocity : loudest;
        }
        for (const bool played : {true, false}) {
            const std::string name = std::string(g.key) + (played ? "_played" : "_grid");
            const std::string description =
                std::string("Two-bar funk excerpt ") + g.excerpt + ", " +
                (played ? "performed microtiming." : "same hits quantised to sixteenths.");
            kgen::define(name, 512, 2, description, [&g, played, loudest](const kgen::Record& r) {
                std::vector<kgen::Pulse> score;
                for (const Hit& h : g.hits) {
                    score.push_back(pulse(h, played));
                }
                return kgen::render_score(r.period, score, loudest);
            });
        }
    }
}
