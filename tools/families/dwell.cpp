// dwell: a phrase of sixteen beats (1024 pips) built from eased moves and holds. From a
// resting point the point lifts and holds, transfers to a second base, lifts again to a
// different height and holds for a different time, then returns, overshooting the rest a
// little and settling onto it, and rests until the phrase repeats. Every move and hold
// lasts a whole number of half-beats (32 pips), so each hold starts and ends on the grid.
// phrase_01 … 16 differ in heights, hold lengths and lift directions. Peak 0.82.
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/curves.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::Sample;
using kgen::curve::add;

struct Phrase {
    Sample rest;
    Sample lift1;   // displacement of the first lift from the rest
    int rise1;      // pips to lift
    int hold1;      // pips held
    Sample base2;   // where the transfer lands
    int transfer;
    Sample lift2;   // displacement of the second lift from its base
    int rise2;
    int hold2;
    double overshoot;  // how far the return passes the rest, as a share of its travel
    int back;          // pips of the return to the overshoot
    int settle;        // pips from the overshoot onto the rest
};

const std::vector<Phrase>& members() {
    static const std::vector<Phrase> list = {
        {{-0.2, -0.55, 0.0}, {-0.25, 1.2, 0.2}, 128, 160, {0.4, -0.4, -0.1}, 128,
         {0.15, 0.75, 0.35}, 96, 96, 0.12, 128, 64},
        {{0.1, -0.6, 0.1}, {0.3, 0.7, 0.45}, 96, 64, {-0.45, -0.35, 0.0}, 128,
         {-0.1, 1.15, -0.2}, 128, 192, 0.1, 128, 64},
        {{0.0, -0.5, -0.2}, {0.0, 1.0, 0.6}, 128, 224, {0.5, -0.5, 0.1}, 96,
         {0.2, 0.6, -0.25}, 96, 64, 0.14, 128, 64},
        {{-0.35, -0.45, 0.15}, {0.45, 0.6, -0.3}, 96, 96, {0.3, -0.6, -0.2}, 128,
         {-0.05, 1.25, 0.3}, 128, 160, 0.08, 160, 64},
        {{0.25, -0.55, 0.0}, {-0.5, 1.1, 0.0}, 128, 128, {-0.4, -0.3, 0.3}, 96,
         {0.0, 0.55, 0.5}, 96, 224, 0.12, 96, 64},
        {{0.0, -0.3, 0.4}, {0.0, 0.5, 0.5}, 96, 160, {0.0, -0.5, -0.35}, 128,
         {0.3, 1.15, 0.1}, 128, 64, 0.1, 160, 64},
        {{-0.5, -0.5, 0.0}, {0.15, 1.15, 0.25}, 128, 192, {0.55, -0.45, 0.0}, 160,
         {-0.15, 0.85, -0.3}, 96, 96, 0.15, 96, 64},
        {{0.4, -0.5, -0.15}, {0.1, 0.65, 0.55}, 96, 32, {-0.2, -0.55, 0.2}, 96,
         {-0.4, 1.1, -0.1}, 128, 256, 0.1, 128, 64},
        {{0.0, -0.6, 0.0}, {0.55, 0.95, -0.3}, 128, 96, {-0.3, -0.4, 0.25}, 128,
         {-0.35, 0.9, 0.35}, 128, 160, 0.12, 128, 64},
        {{-0.15, -0.4, -0.3}, {-0.3, 0.55, 0.8}, 128, 192, {0.45, -0.5, 0.0}, 128,
         {0.0, 0.8, 0.4}, 96, 32, 0.1, 128, 64},
        {{0.3, -0.55, 0.2}, {0.0, 1.2, -0.35}, 128, 64, {-0.5, -0.45, -0.1}, 128,
         {0.25, 0.6, 0.45}, 96, 128, 0.14, 128, 64},
        {{0.0, -0.45, 0.0}, {-0.45, 0.8, 0.3}, 96, 128, {0.2, -0.6, 0.3}, 96,
         {0.35, 1.2, -0.25}, 128, 224, 0.08, 128, 64},
        {{-0.3, -0.6, 0.1}, {0.2, 0.7, 0.2}, 96, 256, {0.35, -0.35, -0.3}, 128,
         {0.2, 1.05, 0.25}, 128, 96, 0.12, 128, 64},
        {{0.15, -0.5, -0.1}, {0.35, 1.1, 0.3}, 128, 32, {-0.45, -0.5, 0.2}, 128,
         {0.1, 0.7, -0.45}, 96, 160, 0.1, 128, 64},
        {{0.0, -0.55, 0.25}, {0.0, 0.9, -0.7}, 128, 160, {0.5, -0.35, 0.0}, 96,
         {-0.3, 0.65, 0.35}, 96, 64, 0.16, 128, 64},
        {{-0.4, -0.5, -0.2}, {0.3, 1.25, 0.15}, 128, 96, {0.35, -0.55, 0.25}, 160,
         {0.15, 0.6, 0.5}, 96, 192, 0.12, 96, 64},
    };
    return list;
}

kgen::Block make(const Phrase& f, int period) {
    using kgen::curve::Move;
    const Sample top1 = add(f.rest, f.lift1);
    const Sample top2 = add(f.base2, f.lift2);
    const Sample past =
        add(f.rest, kgen::curve::mul(kgen::curve::sub(f.rest, top2), f.overshoot));
    std::vector<Move> moves;
    double pip = 0.0;
    const auto go = [&](int pips, const Sample& to) {
        if (pips <= 0 || pips % 32 != 0) {
            throw std::runtime_error("dwell: every move and hold lasts whole half-beats");
        }
        pip += pips;
        moves.push_back({pip, to});
    };
    go(f.rise1, top1);
    go(f.hold1, top1);
    go(f.transfer, f.base2);
    go(f.rise2, top2);
    go(f.hold2, top2);
    go(f.back, past);
    go(f.settle, f.rest);
    go(period - static_cast<int>(pip), f.rest);  // rest until the phrase repeats
    kgen::Block block = kgen::curve::eased_path(period, f.rest, moves);
    kgen::scale_to_peak(block, 0.82);
    return block;
}

constexpr const char* kDescription =
    "Two unequal lift-and-hold gestures, a transfer and a settling return; holds have finite "
    "musical duration.";

}  // namespace

KGEN_FAMILY(dwell, .peak_low = 0.8199, .peak_high = 0.82, .step = 0.029) {
    int number = 0;
    for (const Phrase& f : members()) {
        const std::string name = "dwell_phrase_" + kgen::two_digits(++number);
        kgen::define(name, 1024, 3, kDescription,
                     [f](const kgen::Record& r) { return make(f, r.period); });
    }
}
