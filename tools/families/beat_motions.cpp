// The motions of the beat family, one row each: its key, the title and sentence its
// descriptions carry, the generator that turns any drum score into a loop, the peak it is
// scaled to and the lanes that move its depth, and the later version that the later
// grooves play instead, if it has one.
#include "families/beat_motions.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "families/beat_shapes.hpp"

namespace kgen::beat {

namespace {

// ---- the motions -------------------------------------------------------------------

// Kicks pull y down (the low point on the kick), snares flick x to alternating sides and
// upper percussion adds small flicks toward the side of the last snare; bass cues sink
// the depth.
Block bounce(const Lanes& L) {
    const auto hat_side = leaning(L, hat, snare);
    const auto open_side = leaning(L, open_hat, snare);
    const auto perc_side = leaning(L, perc, snare);
    return fill(L.period(), [&](int p) {
        Vec v;
        v.y = -L.sum(kick, p, [](double d, double vel, std::size_t) {
            return vel * asym(d, 10.0, 30.0);
        });
        v.x = L.sides(snare, p, 1.0, 20.0) + leaning_sum(L, hat, hat_side, p, 0.3, 8.0, 8.0) +
              leaning_sum(L, open_hat, open_side, p, 0.35, 10.0, 10.0) +
              leaning_sum(L, perc, perc_side, p, 0.3, 8.0, 8.0);
        v.z = -L.pulses(bass, p, 0.55, 36.0);
        return v;
    });
}

// Later bounce: a sharper downstroke with a rebound lift, side accents on snares and
// percussion only, hats as small lifts, bass cues leaning into depth with a long release.
Block bounce_later(const Lanes& L) {
    const int P = L.period();
    const auto open_side = leaning(L, open_hat, snare);
    const auto perc_side = leaning(L, perc, snare);
    return fill(P, [&](int p) {
        Vec v;
        v.y = L.sum(kick, p, [&](double d, double vel, std::size_t) {
                  return vel * (-asym(d, 8.0, 22.0) + 0.3 * win(delayed(d, 34.0, P), 14.0));
              }) +
              L.pulses(hat, p, 0.12, 6.0);
        v.x = L.sum(snare, p, [](double d, double vel, std::size_t i) {
                  return vel * alt(i) * asym(d, 8.0, 26.0);
              }) +
              leaning_sum(L, perc, perc_side, p, 0.6, 8.0, 20.0) +
              leaning_sum(L, open_hat, open_side, p, 0.2, 10.0, 10.0);
        v.z = -L.sum(bass, p, [](double d, double vel, std::size_t) {
            return 0.6 * vel * asym(d, 16.0, 60.0);
        });
        return v;
    });
}

// Side-steps: x holds a side and steps across on every snare (on the kicks where a score
// has no snare), the foot lifting y during each step; kicks tap down, bass swells depth.
Block step(const Lanes& L) {
    const Events& ev = L.score().has(snare) ? L[snare] : L[kick];
    std::vector<double> at, side;
    for (std::size_t i = 0; i < ev.size(); ++i) {
        at.push_back(ev[i].at);
        side.push_back(alt(i) * ev[i].vel);
    }
    const HeldSides held(at, side, L.period(), 24.0, 0.75);
    return fill(L.period(), [&](int p) {
        const Held h = held.at(p);
        Vec v;
        v.x = h.value + L.sides(hat, p, 0.15, 8.0) + L.sides(open_hat, p, 0.12, 10.0) +
              L.sides(perc, p, 0.1, 8.0);
        v.y = 0.45 * h.lift - L.pulses(kick, p, 0.3, 10.0) + L.pulses(hat, p, 0.08, 6.0);
        v.z = L.pulses(bass, p, 0.5, 40.0);
        return v;
    });
}

// Later step: kick and snare gestures thrown to alternating sides and back.
Block step_later(const Lanes& L) {
    return fill(L.period(), [&](int p) {
        Vec v;
        v.x = L.sum(kick, p, [](double d, double vel, std::size_t i) {
                  return 0.55 * vel * alt(i) * asym(d, 8.0, 24.0);
              }) +
              L.sum(snare, p, [](double d, double vel, std::size_t i) {
                  return vel * alt(i + 1) * asym(d, 10.0, 32.0);
              });
        v.x += L.sides(perc, p, 0.25, 10.0);
        v.y = -L.pulses(kick, p, 0.35, 12.0) + L.pulses(snare, p, 0.45, 18.0) +
              L.pulses(hat, p, 0.08, 6.0) + L.pulses(open_hat, p, 0.15, 10.0);
        v.z = -L.sum(bass, p, [](double d, double vel, std::size_t) {
            return 0.55 * vel * asym(d, 12.0, 48.0);
        });
        return v;
    });
}

// One turn per bar, quicker around events, wider around kicks; everything but the kick
// moves the depth, so a kicks-only score stays in the plane.
Block orbit(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 1.2, 20.0}, {snare, 1.0, 16.0}, {hat, 0.35, 8.0},
                                     {open_hat, 0.5, 12.0}, {perc, 0.5, 10.0}, {bass, 0.6, 24.0}},
                                    L.bars());
    return fill_along(phase, [&](int p, double ph) {
        const double r = 0.62 + 0.38 * L.pulses(kick, p, 1.0, 28.0);
        Vec v;
        v.x = r * std::cos(ph);
        v.y = 0.8 * r * std::sin(ph);
        v.z = L.sides(snare, p, 0.45, 20.0) + L.pulses(hat, p, 0.15, 8.0) +
              L.pulses(open_hat, p, 0.15, 12.0) + L.pulses(perc, p, 0.15, 8.0) +
              L.pulses(bass, p, 0.4, 32.0);
        return v;
    });
}

// Later orbit: a tilted ellipse whose radius follows snares and percussion, with bass
// cues pulling depth.
Block orbit_later(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 0.8, 18.0}, {snare, 1.4, 22.0}, {perc, 0.9, 12.0},
                                     {hat, 0.5, 8.0}, {open_hat, 0.6, 12.0}, {bass, 0.8, 28.0}},
                                    L.bars());
    return fill_along(phase, [&](int p, double ph) {
        const double r = 0.5 + 0.3 * (L.pulses(snare, p, 1.0, 24.0) + L.pulses(perc, p, 1.0, 24.0)) +
                         0.2 * L.pulses(kick, p, 1.0, 16.0);
        Vec v;
        v.x = r * std::cos(ph);
        v.y = r * (0.7 * std::sin(ph) + 0.25 * std::cos(ph));
        v.z = 0.35 * r * std::sin(ph) - L.sum(bass, p, [](double d, double vel, std::size_t) {
                  return 0.4 * vel * asym(d, 10.0, 40.0);
              });
        return v;
    });
}

constexpr Vec kGlideBass[] = {{0.3, -0.8, 0.5}, {-0.5, -0.6, -0.4}, {0.6, 0.2, -0.7}};

// One phrase-long 3D path, its pace set by the drums, with excursions on the bass cues.
Block glide(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 1.5, 24.0}, {snare, 1.2, 20.0}, {hat, 0.4, 8.0},
                                     {open_hat, 0.5, 12.0}, {perc, 0.5, 10.0}},
                                    1.0);
    return fill_along(phase, [&](int p, double ps) {
        Vec v{0.7 * std::sin(ps), 0.4 * std::sin(2.0 * ps + 0.6), 0.35 * std::cos(ps + 0.3)};
        v.x += L.sides(snare, p, 0.25, 16.0) + L.sides(perc, p, 0.12, 10.0);
        v.y -= L.pulses(kick, p, 0.18, 14.0);
        v.z += L.sides(hat, p, 0.1, 10.0) + L.pulses(open_hat, p, 0.2, 12.0);
        const Events& b = L[bass];
        for (std::size_t i = 0; i < b.size(); ++i) {
            const double d = circular_distance(p, b[i].at, L.period());
            const double w = 0.45 * b[i].vel * asym(d, 12.0, 44.0);
            const Vec& dir = kGlideBass[i % 3];
            v.x += w * dir.x;
            v.y += w * dir.y;
            v.z += w * dir.z;
        }
        return v;
    });
}

constexpr Vec kGlideLaterBass[] = {{-0.7, -0.5, 0.3}, {0.7, -0.5, -0.3}};

// Later glide: a three-lobed phrase path paced mostly by the snares, bass cues swinging
// out to alternate sides.
Block glide_later(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 1.0, 20.0}, {snare, 1.6, 24.0}, {perc, 0.6, 12.0},
                                     {hat, 0.3, 8.0}, {open_hat, 0.5, 12.0}, {bass, 0.8, 30.0}},
                                    1.0);
    return fill_along(phase, [&](int p, double ps) {
        Vec v{0.6 * std::sin(ps) + 0.18 * std::sin(3.0 * ps), -0.45 * std::cos(2.0 * ps),
              0.4 * std::sin(ps + 1.0)};
        v.y += L.pulses(snare, p, 0.25, 16.0) + L.pulses(open_hat, p, 0.1, 10.0);
        v.x += L.sides(kick, p, 0.15, 14.0) + L.sides(hat, p, 0.08, 6.0);
        v.z += L.sides(perc, p, 0.15, 10.0);
        const Events& b = L[bass];
        for (std::size_t i = 0; i < b.size(); ++i) {
            const double d = circular_distance(p, b[i].at, L.period());
            const double w = 0.5 * b[i].vel * asym(d, 10.0, 56.0);
            const Vec& dir = kGlideLaterBass[i % 2];
            v.x += w * dir.x;
            v.y += w * dir.y;
            v.z += w * dir.z;
        }
        return v;
    });
}

// Kicks thrust forward through depth, snares lift, hats and percussion add lateral detail.
Block surge(const Lanes& L) {
    return fill(L.period(), [&](int p) {
        Vec v;
        v.z = L.sum(kick, p, [](double d, double vel, std::size_t) {
                  return vel * asym(d, 8.0, 40.0);
              }) +
              L.sum(bass, p, [](double d, double vel, std::size_t) {
                  return 0.3 * vel * asym(d, 12.0, 48.0);
              });
        v.y = L.pulses(snare, p, 0.7, 22.0) - L.pulses(kick, p, 0.15, 14.0);
        v.x = L.sides(hat, p, 0.22, 8.0) + L.pulses(open_hat, p, 0.3, 12.0) +
              L.sides(perc, p, 0.25, 9.0) + L.sides(kick, p, 0.12, 20.0);
        return v;
    });
}

// Snares push sideways and kicks down; each hit's echo, a little later, draws back.
Block recoil(const Lanes& L) {
    const int P = L.period();
    return fill(P, [&](int p) {
        Vec v;
        v.x = L.sum(snare, p, [&](double d, double vel, std::size_t i) {
                  return vel * alt(i) * (asym(d, 8.0, 30.0) - 0.45 * win(delayed(d, 48.0, P), 20.0));
              }) +
              L.sum(kick, p, [&](double d, double vel, std::size_t i) {
                  return 0.25 * vel * alt(i) * win(delayed(d, 40.0, P), 18.0);
              }) +
              L.sides(perc, p, 0.2, 10.0);
        v.y = L.sum(kick, p, [&](double d, double vel, std::size_t) {
            return vel * (-0.8 * asym(d, 8.0, 26.0) + 0.3 * win(delayed(d, 40.0, P), 18.0));
        });
        v.z = -L.sum(snare, p, [&](double d, double vel, std::size_t) {
                  return 0.4 * vel * win(delayed(d, 44.0, P), 22.0);
              }) -
              L.sum(kick, p, [&](double d, double vel, std::size_t) {
                  return 0.4 * vel * win(delayed(d, 44.0, P), 22.0);
              }) +
              L.sides(hat, p, 0.15, 6.0) + L.pulses(perc, p, 0.1, 6.0) +
              L.pulses(open_hat, p, 0.2, 10.0) + L.sum(bass, p, [](double d, double vel, std::size_t) {
                  return 0.3 * vel * asym(d, 12.0, 48.0);
              });
        return v;
    });
}

double tremor(double d) { return std::sin(kTwoPi * d / 8.0) * win(d, 14.0); }

// A wide hanging arc swung from side to side by kicks and snares, with quick tremors on
// hats, shakers and open hats.
Block flutter(const Lanes& L) {
    const auto onsets = merge(L, {kick, snare}, nullptr);
    std::vector<double> at, side;
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        at.push_back(onsets[i].at);
        side.push_back(alt(i) * (onsets[i].has_snare ? 1.0 : 0.6) * onsets[i].vel);
    }
    const HeldSides arc(at, side, L.period(), 40.0, 0.8);
    return fill(L.period(), [&](int p) {
        const double a = arc.at(p).value;
        Vec v{0.85 * a, 0.4 * a * a - 0.15, 0.3 * a};
        const auto trem = [](double w) {
            return [w](double d, double vel, std::size_t) { return w * vel * tremor(d); };
        };
        v.y += L.sum(hat, p, trem(0.16));
        v.x += L.sum(hat, p, [](double d, double vel, std::size_t) {
            return 0.06 * vel * tremor(d + 2.0);
        });
        v.z += L.sum(perc, p, trem(0.16)) + L.sum(open_hat, p, trem(0.2)) +
               L.pulses(bass, p, 0.25, 30.0);
        return v;
    });
}

// The bass (the kick where a score has no bass) drives a broad plunge in depth; kicks and
// snares swing a counterweight to alternating sides.
Block dive(const Lanes& L) {
    const Lane low = L.score().has(bass) ? bass : kick;
    const auto drums = merge(L, {kick, snare}, nullptr);
    const int P = L.period();
    return fill(P, [&](int p) {
        Vec v;
        v.z = -L.sum(low, p, [](double d, double vel, std::size_t) {
            return vel * asym(d, 24.0, 90.0);
        });
        for (std::size_t j = 0; j < drums.size(); ++j) {
            const double d = circular_distance(p, drums[j].at, P);
            v.x += 0.45 * drums[j].vel * alt(j) * win(d, 18.0);
        }
        v.x += L.sides(perc, p, 0.15, 10.0) + L.sides(open_hat, p, 0.25, 12.0);
        v.y = L.pulses(kick, p, 0.3, 14.0) - L.pulses(snare, p, 0.25, 14.0) +
              L.pulses(hat, p, 0.15, 8.0);
        return v;
    });
}

// A bob hanging from a pivot: two swings per bar, quicker around events, its amplitude
// following the score's broad energy.
Block pendulum(const Lanes& L) {
    const int P = L.period();
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 0.9, 24.0}, {snare, 0.7, 20.0}, {hat, 0.25, 8.0},
                                     {perc, 0.3, 10.0}, {bass, 0.4, 24.0}},
                                    2.0 * L.bars());
    std::vector<double> energy(static_cast<std::size_t>(P));
    double top = 0.0;
    for (int p = 0; p < P; ++p) {
        const double e = L.pulses(kick, p, 1.0, 64.0) + L.pulses(snare, p, 0.8, 64.0) +
                         L.pulses(hat, p, 0.2, 64.0) + L.pulses(open_hat, p, 0.3, 64.0) +
                         L.pulses(perc, p, 0.3, 64.0) + L.pulses(bass, p, 0.5, 64.0);
        energy[static_cast<std::size_t>(p)] = e;
        top = std::max(top, e);
    }
    return fill(P, [&](int p) {
        const std::size_t k = static_cast<std::size_t>(p);
        const double amp = 0.45 + 0.55 * energy[k] / top;
        // The downbeat finds the bob at the end of a swing; it comes forward in depth as it
        // passes the bottom.
        const double ph = phase[k] + kPi / 2.0;
        const double angle = 1.05 * amp * std::sin(ph);
        // Hits knock the bob a little off its arc.
        return Vec{0.9 * std::sin(angle) + L.sides(snare, p, 0.15, 14.0),
                   0.9 * (1.0 - std::cos(angle)) - 0.25 + L.sides(hat, p, 0.1, 6.0) +
                       L.pulses(open_hat, p, 0.2, 12.0),
                   0.3 * amp * std::cos(2.0 * ph) + L.sides(perc, p, 0.15, 10.0)};
    });
}

// One figure eight per bar; kicks widen the lobes, snares lift the crossing and its depth.
Block figure8(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 0.5, 16.0}, {snare, 0.6, 16.0}, {hat, 0.2, 8.0},
                                     {open_hat, 0.3, 12.0}, {perc, 0.3, 10.0}},
                                    L.bars());
    return fill_along(phase, [&](int p, double ps) {
        const double r = 0.6 + 0.4 * L.pulses(kick, p, 1.0, 30.0);
        Vec v;
        v.x = r * std::sin(ps);
        v.y = 0.55 * r * std::sin(2.0 * ps) + L.pulses(snare, p, 0.35, 20.0);
        v.x += L.sides(perc, p, 0.12, 10.0) + L.pulses(open_hat, p, 0.2, 12.0);
        v.z = 0.2 * r * std::cos(ps) + L.pulses(snare, p, 0.3, 24.0) + L.pulses(bass, p, 0.2, 30.0) +
              L.sides(hat, p, 0.15, 6.0);
        return v;
    });
}

// One lap per bar around a square with rounded corners; the phase hurries through busy
// passages and lingers in sparse ones; opposite corners sit at opposite depths.
Block box(const Lanes& L) {
    const auto phase = driven_phase(L, 0.4,
                                    {{kick, 0.9, 20.0}, {snare, 0.9, 20.0}, {hat, 0.3, 8.0},
                                     {open_hat, 0.4, 12.0}, {perc, 0.4, 10.0}, {bass, 0.5, 24.0}},
                                    L.bars());
    const double norm = std::tanh(2.5);
    return fill(L.period(), [&](int p) {
        // Laps start on a corner, where both coordinates turn slowly.
        const double a = phase[static_cast<std::size_t>(p)] + kPi / 4.0;
        Vec v;
        v.x = std::tanh(2.5 * std::cos(a)) / norm;
        v.y = 0.8 * std::tanh(2.5 * std::sin(a)) / norm;
        v.z = 0.3 * std::sin(2.0 * a) + L.pulses(snare, p, 0.25, 16.0) - L.pulses(kick, p, 0.15, 12.0) -
              L.pulses(bass, p, 0.2, 24.0) + L.sides(hat, p, 0.12, 6.0) + L.sides(perc, p, 0.1, 8.0);
        v.y += L.pulses(open_hat, p, 0.2, 12.0);
        return v;
    });
}

// Two turns riding one depth wave; percussion, hats and snares widen the radius.
Block corkscrew(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 0.4, 16.0}, {snare, 0.4, 16.0}, {perc, 0.3, 10.0},
                                     {hat, 0.2, 8.0}},
                                    1.0);
    return fill_along(phase, [&](int p, double u) {
        const double n = L.pulses(hat, p, 0.5, 12.0) + L.pulses(open_hat, p, 0.6, 14.0) +
                         L.pulses(perc, p, 0.7, 12.0) + L.pulses(snare, p, 0.6, 16.0) +
                         L.pulses(kick, p, 0.3, 16.0);
        const double r = 0.45 + 0.5 * n / (1.0 + 0.5 * n);
        Vec v;
        v.x = r * std::cos(2.0 * u);
        v.y = r * std::sin(2.0 * u);
        v.z = 0.6 * std::sin(u + 0.4) + L.pulses(bass, p, 0.25, 30.0) + L.sides(snare, p, 0.15, 12.0);
        return v;
    });
}

// Two turns that contract to the centre and open out again, accents pushing the radius.
Block spiral(const Lanes& L) {
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 0.7, 20.0}, {snare, 0.7, 20.0}, {hat, 0.2, 8.0},
                                     {perc, 0.3, 10.0}, {open_hat, 0.3, 12.0}, {bass, 0.4, 24.0}},
                                    1.0);
    return fill_along(phase, [&](int p, double u) {
        const double r = 0.18 + 0.82 * (0.5 + 0.5 * std::cos(u)) + L.pulses(kick, p, 0.12, 20.0) +
                         L.pulses(snare, p, 0.12, 20.0);
        Vec v;
        v.x = r * std::cos(2.0 * u + kPi / 4.0);
        v.y = r * std::sin(2.0 * u + kPi / 4.0);
        v.z = 0.5 * std::sin(u) * (1.0 - 0.3 * r) + L.pulses(perc, p, 0.15, 12.0) +
              L.pulses(bass, p, 0.2, 24.0) + L.sides(hat, p, 0.15, 6.0) -
              L.pulses(open_hat, p, 0.2, 12.0) + L.sides(snare, p, 0.2, 14.0);
        return v;
    });
}

// Side-to-side gates, two per bar, along an S: x follows sin u and the height sin 3u,
// which is 3 sin u - 4 sin^3 u, so each sweep travels one S from end to end. Kicks lift,
// snares cut back against the direction of travel, and depth moves against the lift.
Block slalom(const Lanes& L) {
    const int P = L.period();
    const auto phase = driven_phase(L, 1.0,
                                    {{kick, 0.5, 20.0}, {snare, 0.8, 16.0}},
                                    2.0 * L.bars());
    const Events& sn = L[snare];
    std::vector<double> travel(sn.size());
    for (std::size_t i = 0; i < sn.size(); ++i) {
        const auto k = static_cast<std::size_t>(std::lround(sn[i].at)) % static_cast<std::size_t>(P);
        travel[i] = std::cos(phase[k]) >= 0.0 ? 1.0 : -1.0;
    }
    return fill_along(phase, [&](int p, double ps) {
        const double lift = L.sum(kick, p, [](double d, double vel, std::size_t) {
            return vel * asym(d, 8.0, 26.0);
        });
        Vec v;
        v.x = 0.75 * std::sin(ps) - L.sum(snare, p, [&](double d, double vel, std::size_t i) {
                  return 0.3 * vel * travel[i] * win(d, 14.0);
              });
        v.x += L.sides(perc, p, 0.2, 8.0) + L.sides(hat, p, 0.12, 6.0);
        v.y = 0.35 * std::sin(3.0 * ps) + 0.3 * lift + L.pulses(hat, p, 0.05, 6.0) +
              L.pulses(open_hat, p, 0.2, 12.0);
        v.z = -0.3 * lift + 0.3 * std::cos(ps) - L.pulses(bass, p, 0.2, 30.0);
        return v;
    });
}

constexpr Vec kSpringRest{0.0, -0.1, 0.0};

// The ringing of one stream of onsets at pip p: the latest onset at or before p within
// the period rings until the next onset (or the end of the period), faded out so that
// the spring is back at rest when it arrives. Before the first onset it is at rest.
Vec ringing(const std::vector<Onset>& onsets, int period, int p, double cycle) {
    const std::size_t n = onsets.size();
    std::size_t i = n;
    for (std::size_t k = 0; k < n && onsets[k].at <= p; ++k) {
        i = k;
    }
    if (i == n) {
        return Vec{};
    }
    const double end = i + 1 < n ? onsets[i + 1].at : static_cast<double>(period);
    const double len = std::min(end - onsets[i].at, 160.0);
    const double t = p - onsets[i].at;
    if (t >= len) {
        return Vec{};
    }
    const double fade_len = std::min(24.0, 0.5 * len);
    const double fade = t > len - fade_len ? quintic((len - t) / fade_len) : 1.0;
    // Starts at rest: both the value and its slope are zero at the onset.
    const double ring = std::exp(-t / 26.0) * std::sin(kTwoPi * t / cycle) *
                        (1.0 - std::exp(-t / 2.5)) * fade;
    return Vec{onsets[i].push.x * ring, onsets[i].push.y * ring, onsets[i].push.z * ring};
}

// Each event starts the spring from rest and drives a damped ringing excursion in its
// lane's direction; closed hats ring a second, small and quicker spring.
Block spring(const Lanes& L) {
    const int P = L.period();
    const auto body = merge(L, {kick, snare, perc, open_hat, bass},
                            [](Lane l, std::size_t i, double vel) {
                                const double s = alt(i);
                                switch (l) {
                                    case kick: return Vec{0.3 * s * vel, -vel, 0.4 * vel};
                                    case snare: return Vec{s * vel, 0.35 * vel, -0.45 * vel};
                                    case perc: return Vec{-0.5 * s * vel, 0.6 * vel, 0.8 * vel};
                                    case open_hat: return Vec{0.6 * s * vel, 0.5 * vel, -0.7 * vel};
                                    default: return Vec{0.25 * s * vel, -0.5 * vel, -vel};
                                }
                            });
    const auto hats = merge(L, {hat}, [](Lane, std::size_t i, double vel) {
        return Vec{0.12 * alt(i) * vel, 0.0, 0.08 * vel};
    });
    return fill(P, [&](int p) {
        const Vec a = ringing(body, P, p, 36.0);
        const Vec b = ringing(hats, P, p, 20.0);
        return Vec{kSpringRest.x + a.x + b.x, kSpringRest.y + a.y + b.y, kSpringRest.z + a.z + b.z};
    });
}

// Targets visited in turn; each has one component of magnitude 1 on x or y.
constexpr Vec kTargets[] = {
    {1.0, 0.35, 0.5}, {-0.4, 1.0, -0.45}, {-1.0, -0.3, 0.55}, {0.45, -1.0, -0.5}, {0.6, 1.0, 0.6}};
constexpr Vec kHome{0.0, 0.0, 0.12};

// Every onset sends one smooth excursion from home toward the next target of the cycle and
// back, arriving home exactly at the following onset; short gaps make smaller excursions,
// and hats inside the gap quicken the outward leg.
Block ricochet(const Lanes& L) {
    const int P = L.period();
    // Lanes that coincide tilt the excursion in depth (never beyond the targets' x or y).
    const auto onsets = merge(L, {kick, snare, open_hat, perc, bass}, [](Lane l, std::size_t, double vel) {
        switch (l) {
            case snare: return Vec{0.0, 0.0, 0.1 * vel};
            case perc: return Vec{0.0, 0.0, 0.15 * vel};
            case open_hat: return Vec{0.0, 0.0, -0.1 * vel};
            case bass: return Vec{0.0, 0.0, -0.15 * vel};
            default: return Vec{};
        }
    });
    const Events& hats = L[hat];
    const std::size_t n = onsets.size();
    std::vector<double> gap(n), apex(n), reach(n);
    for (std::size_t i = 0; i < n; ++i) {
        gap[i] = n == 1 ? P : forward(onsets[(i + 1) % n].at, onsets[i].at, P);
        double busy = 0.0;
        for (const Event& h : hats) {
            if (forward(h.at, onsets[i].at, P) < gap[i]) {
                busy += h.vel;
            }
        }
        busy = std::min(1.0, busy / std::max(1.0, gap[i] / 16.0));
        apex[i] = std::clamp(std::round((0.45 - 0.15 * busy) * gap[i]), 1.0, 40.0);
        reach[i] = onsets[i].vel * std::min(1.0, gap[i] / 32.0);
    }
    return fill(P, [&](int p) {
        std::size_t i = 0;
        double t = 1e300;
        for (std::size_t k = 0; k < n; ++k) {
            const double f = forward(p, onsets[k].at, P);
            if (f < t) {
                t = f;
                i = k;
            }
        }
        const double hump = t <= apex[i] ? quintic(t / apex[i])
                                         : quintic((gap[i] - t) / (gap[i] - apex[i]));
        const double w = reach[i] * hump;
        const Vec& target = kTargets[i % std::size(kTargets)];
        return Vec{kHome.x + w * target.x, kHome.y + w * target.y,
                   kHome.z + w * (target.z + onsets[i].push.z)};
    });
}

// Motions that read the bass (or its stand-in) for their depth, and those whose path has
// depth of its own.
constexpr LaneSet kBassDepth = lanes({bass});
constexpr LaneSet kOwnDepth = kEveryLane;

constexpr MotionDef kMotions[] = {
    {"bounce", {"Kick-led bounce", "", bounce, {0.82}, kBassDepth},
     Version{"Kick-led bounce", "Original Vessa 05 kick-led downstroke and side accents.",
             bounce_later, {0.84}, kBassDepth}},
    {"step", {"Snare side-step", "", step, {0.78}, kBassDepth},
     Version{"Snare side-step", "Original Vessa 05 alternating lateral kick and snare gestures.",
             step_later, {0.8}, kBassDepth}},
    {"orbit",
     {"Percussion orbit", "", orbit, {0.8}, lanes({snare, hat, open_hat, perc, bass})},
     Version{"Percussion orbit",
             "Original Vessa 05 event-weighted orbital speed, radius and depth.", orbit_later,
             {0.78}, kOwnDepth}},
    {"glide", {"Bass-and-phrase glide", "", glide, {0.76}, kOwnDepth},
     Version{"Bass / phrase glide",
             "Original Vessa 05 continuous phrase path with bass excursions.", glide_later,
             {0.8}, kOwnDepth}},
    {"surge",
     {"Forward surge", "Kick thrust through depth with contrasting snare lift and hat detail.",
      surge, {0.84}, lanes({kick, bass})}},
    {"recoil",
     {"Backbeat recoil",
      "Snare pushes sideways; kick counters downward; delayed echo draws back.", recoil,
      {0.8}, kEveryLane}},
    {"flutter",
     {"Upper-percussion flutter", "Hat and shaker tremors over a wider kick/snare arc.",
      flutter, {0.74}, lanes({kick, snare, open_hat, perc, bass})}},
    // Without a bass line the kick stands in, at a lower ceiling.
    {"dive",
     {"Bass-led dive",
      "Bass drives a broad depth plunge with alternating drum counterweight.", dive,
      {0.92, lanes({bass}), lanes({kick}), 0.8}, lanes({kick, bass})}},
    {"pendulum",
     {"Weighted pendulum",
      "A hanging arc whose amplitude and angular speed respond to the score.", pendulum,
      {0.78}, kOwnDepth}},
    {"figure8",
     {"Woven figure eight", "Two crossing lobes expand at kicks with a lifted snare crossing.",
      figure8, {0.8}, kOwnDepth}},
    {"box",
     {"Rounded corner tour", "Rhythm-weighted phase travels around four softened corners.",
      box, {0.76}, kOwnDepth}},
    {"corkscrew",
     {"Closed corkscrew",
      "Two orbital turns ride a depth wave with percussion-driven radius.", corkscrew, {0.8},
      kOwnDepth}},
    {"spiral",
     {"Breathing spiral",
      "A contracting and expanding double-turn path with a continuous seam.", spiral, {0.78},
      kOwnDepth}},
    {"slalom",
     {"Drum slalom",
      "S-shaped travel with kick lift, snare cutbacks and depth counter-motion.", slalom,
      {0.82}, kOwnDepth}},
    {"spring",
     {"Causal spring", "An event starts at rest, then drives a damped ringing excursion.",
      spring, {0.8}, kEveryLane}},
    // Only the onsets it ricochets from count.
    {"ricochet",
     {"Directional ricochet",
      "Successive onsets send smooth excursions toward a cyclic series of targets.",
      ricochet, {0.92, lanes({kick, snare, open_hat, perc})}, kOwnDepth}},
};

}  // namespace

std::span<const MotionDef> motions() { return kMotions; }

Block make_motion(const Version& version, const Score& score) {
    Block block = version.generate(Lanes(score));
    const Peak& peak = version.peak;
    scale_to_peak(block, score.has_any(peak.lanes)
                             ? peak.full * score.loudest(peak.lanes)
                             : peak.stand_in_full * score.loudest(peak.stand_in));
    return block;
}

int dimensions(const Version& version, const Score& score) {
    return score.has_any(version.depth) ? 3 : 2;
}

}  // namespace kgen::beat
