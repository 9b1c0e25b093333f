// gesture: sixteen single-point gestures over eight beats (512 pips). Each is a keyframed
// path of eased moves (x lateral, y vertical, z depth), some moves curved by a bulge, held
// where two neighbouring keys agree; the path is scaled so its peak magnitude is 0.82.
// The suffix names the gesture; the five depth gestures move z, the others never do.
#include <cmath>
#include <vector>

#include "gen/curves.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::Sample;
using kgen::curve::Move;

struct Gesture {
    const char* suffix;
    const char* phrase;  // what the description calls it
    Sample start;
    std::vector<Move> moves;  // (arrival pip, key point, bulge of the move into it)
};

// An outward spiral of eased quarter turns that ends in a reach forward through depth and
// a direct return to the centre.
std::vector<Move> spiral_moves() {
    const int quarters = 6;
    const double r0 = 0.12;
    const double r1 = 0.7;
    const double z1 = 0.5;
    const auto at = [&](double k) {
        const double f = k / quarters;
        const double r = r0 + (r1 - r0) * f;
        const double a = kgen::kPi / 2.0 * k;
        return Sample{r * std::cos(a), r * std::sin(a), z1 * f};
    };
    std::vector<Move> moves;
    moves.push_back({32.0, at(0.0)});
    double pip = 32.0;
    for (int k = 0; k < quarters; ++k) {
        const Sample from = at(k);
        const Sample to = at(k + 1);
        const Sample chord_mid = kgen::curve::mul(kgen::curve::add(from, to), 0.5);
        const Sample bulge = kgen::curve::sub(at(k + 0.5), chord_mid);
        pip += 48.0;
        moves.push_back({pip, to, bulge});
    }
    const Sample tip = at(quarters);
    moves.push_back({pip + 48.0, {tip.x * 1.1, tip.y * 1.1, 0.82}});
    moves.push_back({pip + 96.0, {tip.x * 1.1, tip.y * 1.1, 0.82}});
    moves.push_back({512.0, {0.0, 0.0, 0.0}});
    return moves;
}

std::vector<Gesture> gestures() {
    return {
        {"side_reach", "side reach", {0.0, 0.0, 0.0},
         {{64, {0.0, 0.0, 0.0}},
          {160, {0.82, 0.14, 0.0}, {0.0, 0.06, 0.0}},
          {224, {0.82, 0.14, 0.0}},
          {320, {0.05, -0.04, 0.0}},
          {384, {0.4, 0.06, 0.0}},
          {448, {0.0, 0.0, 0.0}},
          {512, {0.0, 0.0, 0.0}}}},
        {"cross_reach", "cross and reach", {0.0, 0.0, 0.0},
         {{80, {-0.5, -0.22, 0.0}, {0.0, -0.06, 0.0}},
          {128, {-0.5, -0.22, 0.0}},
          {256, {0.82, 0.34, 0.0}, {0.0, 0.14, 0.0}},
          {320, {0.82, 0.34, 0.0}},
          {448, {0.0, 0.0, 0.0}, {0.0, -0.12, 0.0}},
          {512, {0.0, 0.0, 0.0}}}},
        {"low_scoop", "low scoop", {-0.62, 0.22, 0.0},
         {{160, {0.62, 0.22, 0.0}, {0.0, -1.0, 0.0}},
          {224, {0.62, 0.22, 0.0}},
          {384, {-0.62, 0.22, 0.0}, {0.0, -0.45, 0.0}},
          {512, {-0.62, 0.22, 0.0}}}},
        {"high_arc", "high arc", {-0.75, -0.3, 0.0},
         {{192, {0.75, -0.3, 0.0}, {0.0, 1.1, 0.0}},
          {256, {0.75, -0.3, 0.0}},
          {448, {-0.75, -0.3, 0.0}, {0.0, 0.35, 0.0}},
          {512, {-0.75, -0.3, 0.0}}}},
        {"corner_taps", "corner taps", {-0.58, 0.5, 0.0},
         {{16, {-0.78, 0.68, 0.0}},
          {32, {-0.58, 0.5, 0.0}},
          {48, {-0.58, 0.5, 0.0}},
          {128, {0.6, 0.46, 0.0}},
          {144, {0.81, 0.62, 0.0}},
          {160, {0.6, 0.46, 0.0}},
          {176, {0.6, 0.46, 0.0}},
          {256, {0.56, -0.52, 0.0}},
          {272, {0.76, -0.7, 0.0}},
          {288, {0.56, -0.52, 0.0}},
          {304, {0.56, -0.52, 0.0}},
          {384, {-0.6, -0.48, 0.0}},
          {400, {-0.81, -0.65, 0.0}},
          {416, {-0.6, -0.48, 0.0}},
          {432, {-0.6, -0.48, 0.0}},
          {512, {-0.58, 0.5, 0.0}}}},
        {"diagonal_touch", "diagonal touch", {0.0, 0.0, 0.0},
         {{96, {0.66, 0.6, 0.0}},
          {112, {0.8, 0.73, 0.0}},
          {128, {0.66, 0.6, 0.0}},
          {144, {0.8, 0.73, 0.0}},
          {160, {0.66, 0.6, 0.0}},
          {256, {0.0, 0.0, 0.0}},
          {320, {-0.5, -0.46, 0.0}},
          {336, {-0.62, -0.57, 0.0}},
          {352, {-0.5, -0.46, 0.0}},
          {448, {0.0, 0.0, 0.0}},
          {512, {0.0, 0.0, 0.0}}}},
        {"box_return", "box and centre", {0.0, 0.0, 0.0},
         {{64, {-0.82, 0.6, 0.0}},
          {144, {0.82, 0.6, 0.0}},
          {208, {0.82, -0.6, 0.0}},
          {288, {-0.82, -0.6, 0.0}},
          {352, {-0.82, 0.6, 0.0}},
          {432, {0.0, 0.0, 0.0}},
          {512, {0.0, 0.0, 0.0}}}},
        {"zigzag_lift", "zigzag lift", {-0.6, -0.7, 0.0},
         {{64, {0.6, -0.42, 0.0}},
          {128, {-0.6, -0.14, 0.0}},
          {192, {0.6, 0.14, 0.0}},
          {256, {-0.6, 0.42, 0.0}},
          {320, {0.2, 0.78, 0.0}, {0.0, 0.08, 0.0}},
          {352, {0.2, 0.78, 0.0}},
          {512, {-0.6, -0.7, 0.0}, {-0.25, 0.0, 0.0}}}},
        {"duck_sway", "duck and sway", {0.0, 0.1, 0.0},
         {{96, {0.0, -0.6, 0.0}},
          {160, {-0.55, -0.5, 0.0}, {0.0, -0.12, 0.0}},
          {224, {0.55, -0.5, 0.0}, {0.0, -0.2, 0.0}},
          {288, {-0.4, -0.55, 0.0}, {0.0, -0.15, 0.0}},
          {352, {0.25, -0.58, 0.0}, {0.0, -0.1, 0.0}},
          {448, {0.0, 0.1, 0.0}},
          {512, {0.0, 0.1, 0.0}}}},
        {"push_pull", "push and pull", {0.0, 0.0, 0.0},
         {{96, {0.08, 0.05, 0.82}},
          {160, {0.08, 0.05, 0.82}},
          {288, {-0.06, -0.04, -0.62}},
          {352, {-0.06, -0.04, -0.62}},
          {448, {0.0, 0.0, 0.0}},
          {512, {0.0, 0.0, 0.0}}}},
        {"reach_depth", "reach through depth", {0.0, 0.0, 0.0},
         {{128, {0.45, 0.32, 0.8}, {0.1, 0.15, 0.0}},
          {192, {0.45, 0.32, 0.8}},
          {288, {0.0, 0.0, 0.0}, {-0.1, -0.1, 0.0}},
          {384, {-0.5, 0.12, 0.55}, {0.0, 0.1, 0.0}},
          {416, {-0.5, 0.12, 0.55}},
          {512, {0.0, 0.0, 0.0}}}},
        {"bow_turn", "bow and turn", {0.0, 0.2, 0.0},
         {{96, {0.0, -0.55, 0.55}, {0.0, 0.0, 0.1}},
          {160, {0.0, -0.55, 0.55}},
          {208, {0.0, 0.2, 0.0}},
          {256, {0.55, 0.2, 0.0}},
          {352, {-0.55, 0.2, 0.0}, {0.0, 0.0, -0.6}},
          {448, {0.55, 0.2, 0.0}, {0.0, 0.0, 0.6}},
          {512, {0.0, 0.2, 0.0}}}},
        {"heel_toe", "heel-toe abstract", {0.0, 0.0, 0.0},
         {{48, {0.5, -0.25, 0.0}},
          {80, {0.5, -0.25, 0.0}},
          {128, {0.3, -0.72, 0.0}},
          {160, {0.3, -0.72, 0.0}},
          {224, {0.0, 0.0, 0.0}},
          {272, {-0.5, -0.25, 0.0}},
          {304, {-0.5, -0.25, 0.0}},
          {352, {-0.3, -0.72, 0.0}},
          {384, {-0.3, -0.72, 0.0}},
          {448, {0.0, 0.0, 0.0}},
          {512, {0.0, 0.0, 0.0}}}},
        {"hop_answer", "hop and answer", {-0.35, -0.55, 0.0},
         {{128, {0.35, -0.55, 0.0}, {0.0, 1.2, 0.0}},
          {160, {0.35, -0.72, 0.0}},
          {192, {0.35, -0.55, 0.0}},
          {224, {0.35, -0.55, 0.0}},
          {320, {-0.35, -0.55, 0.0}, {0.0, 0.62, 0.0}},
          {352, {-0.35, -0.66, 0.0}},
          {384, {-0.35, -0.55, 0.0}},
          {512, {-0.35, -0.55, 0.0}}}},
        {"spiral_reach", "spiral reach", {0.0, 0.0, 0.0}, spiral_moves()},
        {"diamond_depth", "depth diamond", {0.0, 0.8, 0.0},
         {{32, {0.0, 0.8, 0.0}},
          {128, {0.55, 0.0, 0.6}},
          {160, {0.55, 0.0, 0.6}},
          {256, {0.0, -0.8, 0.0}},
          {288, {0.0, -0.8, 0.0}},
          {384, {-0.55, 0.0, -0.6}},
          {416, {-0.55, 0.0, -0.6}},
          {512, {0.0, 0.8, 0.0}}}},
    };
}

// The gestures that reach into depth.
int dimensions(const Gesture& g) {
    bool depth = g.start.z != 0.0;
    for (const Move& m : g.moves) {
        depth = depth || m.to.z != 0.0 || m.bulge.z != 0.0;
    }
    return depth ? 3 : 2;
}

}  // namespace

KGEN_FAMILY(gesture, .peak_low = 0.82, .peak_high = 0.82, .step = 0.043) {
    for (const Gesture& g : gestures()) {
        const std::string name = std::string("gesture_") + g.suffix;
        const std::string description =
            std::string("An original single-point ") + g.phrase +
            " gesture. Abstract motion, not a full-body dance or biomechanical recording.";
        kgen::define(name, 512, dimensions(g), description, [g](const kgen::Record& r) {
            kgen::Block block = kgen::curve::eased_path(r.period, g.start, g.moves);
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
