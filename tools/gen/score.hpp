// Score building for the event-driven families: rational onsets, Euclidean onset sets,
// R/L stickings, pulse widths that keep every event its own peak, and the final render.
#pragma once

#include <string_view>
#include <vector>

#include "gen/kgen.hpp"

namespace kgen {

// The pip position of num/den beats, evaluated as (64 num) / den so that equal fractions
// give the same double.
double beat_pips(long num, long den = 1);

// Bjorklund's Euclidean rhythm: the step indices of k onsets spread over n steps, the
// first at step 0 (E(3,8) is x..x..x.).
std::vector<int> bjorklund(int k, int n);

// One stroke of a sticking: +1 for R, -1 for L; lead marks the first stroke of a group.
struct Stroke {
    int hand;
    bool lead;
};
// Parses "RLL RL ..." (groups separated by blanks); throws on any other letter.
std::vector<Stroke> sticking(std::string_view text);

// Narrows each pulse so that its half-width is at most fraction times the circular
// distance to the nearest other pulse that moves a common axis.
void fit_widths(int period, std::vector<Pulse>& pulses, double fraction);

// Throws unless, on every axis, each pulse keeps its peak exactly on its onset and stays
// visible: opposite-signed neighbours are at least the wider half-width apart, same-signed
// ones also at least 0.75 times the sum of their half-widths, so a dip stays between them.
void require_visible(int period, const std::vector<Pulse>& pulses);

// Checks the score, renders its pulses and scales the block to the given peak.
Block render_score(int period, const std::vector<Pulse>& pulses, double peak_target);

}  // namespace kgen
