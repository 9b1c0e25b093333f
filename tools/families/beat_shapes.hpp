// The shapes through which the beat motions read a score: symmetric raised-cosine pulses
// (peak on the onset), asymmetric attack/release pulses, held side positions with eased
// transitions, and phases whose speed rises around events. Every shape is evaluated on the
// circle of the period, so loops close by construction. Cost per block is
// O(period x events).
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <vector>

#include "families/beat_score.hpp"
#include "gen/kgen.hpp"

namespace kgen::beat {

using Events = std::vector<Event>;

struct Vec {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// The raised-cosine window of half-width h at the signed distance d from its onset.
inline double win(double d, double h) { return pulse_window(d, h); }

// Rises over `before` pips up to the onset and falls over `after` pips: the peak stays on
// the onset.
inline double asym(double d, double before, double after) {
    return d < 0.0 ? win(d, before) : win(d, after);
}

// Alternating sides: +1 for the even events of a lane, -1 for the odd ones.
inline double alt(std::size_t i) { return i % 2 == 0 ? 1.0 : -1.0; }

// The quintic easing over t clamped to [0, 1].
double ease(double t);

// Forward distance from onset to p on the circle, in [0, P).
double forward(double p, double onset, int period);

// Circular distance from an onset delayed by `delay` pips.
double delayed(double d, double delay, int period);

class Lanes {
public:
    explicit Lanes(const Score& s) : s_(s), P_(s.period) {}

    int period() const { return P_; }
    // The loop's length in bars.
    double bars() const { return P_ / static_cast<double>(kBarPips); }
    const Score& score() const { return s_; }
    const Events& operator[](Lane l) const { return s_[l]; }

    // Sum over one lane of f(d, vel, index), d the circular distance from each onset.
    template <class F>
    double sum(Lane l, double p, F&& f) const {
        double acc = 0.0;
        const Events& ev = s_[l];
        for (std::size_t i = 0; i < ev.size(); ++i) {
            acc += f(circular_distance(p, ev[i].at, P_), ev[i].vel, i);
        }
        return acc;
    }
    double pulses(Lane l, double p, double weight, double h) const {
        return sum(l, p, [&](double d, double v, std::size_t) { return weight * v * win(d, h); });
    }
    double sides(Lane l, double p, double weight, double h, std::size_t shift = 0) const {
        return sum(l, p, [&](double d, double v, std::size_t i) {
            return weight * v * alt(i + shift) * win(d, h);
        });
    }

private:
    const Score& s_;
    int P_;
};

// A lane weight and width for the speed of a phase.
struct Drive {
    Lane lane;
    double weight;
    double half_width;
};

// Phase over the period whose speed is base plus event pulses; it makes exactly `turns`
// turns, so every periodic function of it closes at the seam.
std::vector<double> driven_phase(const Lanes& L, double base, std::initializer_list<Drive> drives,
                                 double turns);

// Onsets of several lanes merged in time; hits that coincide become one onset with the
// loudest velocity and the sum of their pushes.
struct Onset {
    double at;
    double vel;
    Vec push;
    bool has_snare;
};

// push gives each hit's push from its lane, its index in the lane and its velocity; an
// empty one pushes nothing.
std::vector<Onset> merge(const Lanes& L, std::initializer_list<Lane> lanes,
                         const std::function<Vec(Lane, std::size_t, double)>& push);

// Side positions held between events, each reached by an eased transition that ends on
// its event. Returns the position and the transition's progress (0 when holding).
struct Held {
    double value;
    double lift;  // sin^2 bump over the transition, times the target's weight
};

class HeldSides {
public:
    // A transition takes share of the gap before its event, and at most longest pips.
    HeldSides(std::vector<double> at, std::vector<double> side, int period, double longest,
              double share);

    Held at(double p) const;

private:
    std::vector<double> at_;
    std::vector<double> side_;
    std::vector<double> span_;
    int P_;
};

// The block of f(p) over every pip of the period.
Block fill(int P, const std::function<Vec(int)>& f);
// The block of f(p, phase at p) over the phase's pips.
Block fill_along(const std::vector<double>& phase, const std::function<Vec(int, double)>& f);

// Side of each event of a lane: that of the leader's latest event at or before it (the
// leader alternating sides), so that a hit which coincides with a leader's accent leans
// the same way and keeps the accent's peak on its onset; alternating where the leader is
// silent.
std::vector<double> leaning(const Lanes& L, Lane lane, Lane leader);

// The lane's asymmetric pulses, each to the side that leaning() gave its event.
double leaning_sum(const Lanes& L, Lane lane, const std::vector<double>& side, double p,
                   double weight, double before, double after);

}  // namespace kgen::beat
