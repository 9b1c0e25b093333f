// The shapes of the beat motions; see beat_shapes.hpp.
#include "families/beat_shapes.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kgen::beat {

double ease(double t) { return quintic(std::clamp(t, 0.0, 1.0)); }

double forward(double p, double onset, int period) {
    double d = std::fmod(p - onset, static_cast<double>(period));
    return d < 0.0 ? d + period : d;
}

double delayed(double d, double delay, int period) {
    return circular_distance(d - delay, 0.0, period);
}

std::vector<double> driven_phase(const Lanes& L, double base, std::initializer_list<Drive> drives,
                                 double turns) {
    const int P = L.period();
    std::vector<double> speed(static_cast<std::size_t>(P));
    for (int p = 0; p < P; ++p) {
        double s = base;
        for (const Drive& d : drives) {
            s += L.pulses(d.lane, p, d.weight, d.half_width);
        }
        speed[static_cast<std::size_t>(p)] = s;
    }
    std::vector<double> phase(static_cast<std::size_t>(P));
    double acc = 0.0;
    for (std::size_t p = 0; p < speed.size(); ++p) {
        phase[p] = acc;
        acc += speed[p];
    }
    for (double& v : phase) {
        v = kTwoPi * turns * (v / acc);
    }
    return phase;
}

std::vector<Onset> merge(const Lanes& L, std::initializer_list<Lane> lanes,
                         const std::function<Vec(Lane, std::size_t, double)>& push) {
    std::vector<Onset> all;
    for (Lane l : lanes) {
        const Events& ev = L[l];
        for (std::size_t i = 0; i < ev.size(); ++i) {
            const Vec v = push ? push(l, i, ev[i].vel) : Vec{};
            all.push_back(Onset{ev[i].at, ev[i].vel, v, l == snare});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Onset& a, const Onset& b) { return a.at < b.at; });
    std::vector<Onset> out;
    for (const Onset& o : all) {
        if (!out.empty() && o.at - out.back().at < 1e-9) {
            Onset& m = out.back();
            m.vel = std::max(m.vel, o.vel);
            m.push.x += o.push.x;
            m.push.y += o.push.y;
            m.push.z += o.push.z;
            m.has_snare = m.has_snare || o.has_snare;
        } else {
            out.push_back(o);
        }
    }
    return out;
}

HeldSides::HeldSides(std::vector<double> at, std::vector<double> side, int period,
                     double longest, double share)
    : at_(std::move(at)), side_(std::move(side)), P_(period) {
    const std::size_t n = at_.size();
    span_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double gap = n == 1 ? P_ : forward(at_[i], at_[(i + n - 1) % n], P_);
        span_[i] = std::min(longest, share * gap);
    }
}

Held HeldSides::at(double p) const {
    const std::size_t n = at_.size();
    if (n == 0) {
        return Held{0.0, 0.0};
    }
    // The most recent transition start decides the segment.
    std::size_t best = 0;
    double best_f = 1e300;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = forward(p, at_[i] - span_[i], P_);
        if (f < best_f) {
            best_f = f;
            best = i;
        }
    }
    const double prev = side_[(best + n - 1) % n];
    const double next = side_[best];
    if (best_f < span_[best]) {
        const double t = best_f / span_[best];
        const double s = std::sin(kPi * t);
        return Held{prev + (next - prev) * ease(t), s * s * std::fabs(next)};
    }
    return Held{next, 0.0};
}

Block fill(int P, const std::function<Vec(int)>& f) {
    Block b(static_cast<std::size_t>(P));
    for (int p = 0; p < P; ++p) {
        const Vec v = f(p);
        b[static_cast<std::size_t>(p)] = Sample{v.x, v.y, v.z};
    }
    return b;
}

Block fill_along(const std::vector<double>& phase, const std::function<Vec(int, double)>& f) {
    return fill(static_cast<int>(phase.size()),
                [&](int p) { return f(p, phase[static_cast<std::size_t>(p)]); });
}

std::vector<double> leaning(const Lanes& L, Lane lane, Lane leader) {
    const Events& ev = L[lane];
    const Events& lead = L[leader];
    std::vector<double> side(ev.size());
    for (std::size_t i = 0; i < ev.size(); ++i) {
        if (lead.empty()) {
            side[i] = alt(i);
            continue;
        }
        std::size_t j = lead.size() - 1;  // before the first one: the last of the loop
        for (std::size_t k = 0; k < lead.size() && lead[k].at <= ev[i].at + 1e-9; ++k) {
            j = k;
        }
        side[i] = alt(j);
    }
    return side;
}

double leaning_sum(const Lanes& L, Lane lane, const std::vector<double>& side, double p,
                   double weight, double before, double after) {
    return L.sum(lane, p, [&](double d, double vel, std::size_t i) {
        return weight * vel * side[i] * asym(d, before, after);
    });
}

}  // namespace kgen::beat
