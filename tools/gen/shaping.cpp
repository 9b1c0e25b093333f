// Shaping helpers shared by every family: sampling over a period, peaks and steps,
// scaling, the final twelve-place rounding, pulse scores, keyframe lanes and member
// numbers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "gen/kgen.hpp"

namespace kgen {

double theta(int p, int period) { return (kTwoPi * p) / period; }

Block sample_theta(int period, const std::function<Sample(double theta)>& f) {
    Block block;
    block.reserve(static_cast<std::size_t>(period));
    for (int p = 0; p < period; ++p) {
        block.push_back(f(theta(p, period)));
    }
    return block;
}

Maker formula(Sample (*f)(double theta)) {
    return [f](const Record& r) { return sample_theta(r.period, f); };
}

Block sample_pips(int period, const std::function<Sample(int p)>& f) {
    Block block;
    block.reserve(static_cast<std::size_t>(period));
    for (int p = 0; p < period; ++p) {
        block.push_back(f(p));
    }
    return block;
}

namespace {

double sample_peak(const Sample& s) {
    return std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
}

double sample_step(const Sample& a, const Sample& b) {
    return std::max({std::fabs(b.x - a.x), std::fabs(b.y - a.y), std::fabs(b.z - a.z)});
}

}  // namespace

double peak(const Block& block) {
    double m = 0.0;
    for (const Sample& s : block) {
        m = std::max(m, sample_peak(s));
    }
    return m;
}

Step largest_step(const Block& block) {
    Step worst;
    for (std::size_t p = 0; p < block.size(); ++p) {
        const double d = sample_step(block[p], block[(p + 1) % block.size()]);
        if (d > worst.size) {
            worst = Step{d, p};
        }
    }
    return worst;
}

std::string two_digits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

namespace {

void multiply(Block& block, double s) {
    for (Sample& v : block) {
        v.x = v.x * s;
        v.y = v.y * s;
        v.z = v.z * s;
    }
}

}  // namespace

void scale_to_peak(Block& block, double target) {
    const double m = peak(block);
    if (!(m > 0.0)) {
        throw std::runtime_error("scale_to_peak: the block has no non-zero value to scale");
    }
    multiply(block, target / m);
}

void scale_to_peak_fine(Block& block, double target, int period,
                        const std::function<Sample(double theta)>& f) {
    const int points = 2 * period;
    double m = 0.0;
    for (int j = 0; j < points; ++j) {
        m = std::max(m, sample_peak(f((kTwoPi * j) / points)));
    }
    if (!(m > 0.0)) {
        throw std::runtime_error("scale_to_peak_fine: the curve has no non-zero value to scale");
    }
    multiply(block, target / m);
}

double round12(double v) {
    if (!std::isfinite(v)) {
        return v;  // left for the checker to refuse by name
    }
    // glibc prints and parses correctly rounded, so this is the double nearest to the
    // twelve-place decimal.
    char text[512];
    std::snprintf(text, sizeof text, "%.12f", v);
    const double r = std::strtod(text, nullptr);
    return r == 0.0 ? 0.0 : r;
}

void round_block(Block& block) {
    for (Sample& s : block) {
        s.x = round12(s.x);
        s.y = round12(s.y);
        s.z = round12(s.z);
    }
}

double pulse_window(double d, double half_width) {
    if (!(std::fabs(d) < half_width)) {
        return 0.0;
    }
    return (1.0 + std::cos(kPi * d / half_width)) / 2.0;
}

double circular_distance(double p, double onset, int period) {
    const double P = period;
    double d = std::fmod(p - onset, P);
    if (d < 0.0) {
        d += P;
    }
    if (d > P / 2.0) {
        d -= P;
    }
    return d;
}

Block pulse_score(int period, const std::vector<Pulse>& pulses) {
    return sample_pips(period, [&](int p) {
        Sample s;
        for (const Pulse& pulse : pulses) {
            const double d = circular_distance(p, pulse.onset, period);
            if (!(std::fabs(d) < pulse.half_width)) {
                continue;
            }
            const double w = pulse_window(d, pulse.half_width);
            s.x += pulse.amp.x * w;
            s.y += pulse.amp.y * w;
            s.z += pulse.amp.z * w;
        }
        return s;
    });
}

double quintic(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

std::vector<double> keyframe_lane(int period, const std::vector<Key>& keys) {
    if (keys.size() < 2 || keys.front().pip != 0 || keys.back().pip != period) {
        throw std::runtime_error("keyframe lane must run from pip 0 to the period");
    }
    if (keys.front().value != keys.back().value) {
        throw std::runtime_error("keyframe lane must end on its first value");
    }
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (keys[i].pip <= keys[i - 1].pip) {
            throw std::runtime_error("keyframe pips must increase");
        }
    }
    std::vector<double> lane(static_cast<std::size_t>(period));
    std::size_t seg = 0;
    for (int p = 0; p < period; ++p) {
        while (p >= keys[seg + 1].pip) {
            ++seg;
        }
        const Key& a = keys[seg];
        const Key& b = keys[seg + 1];
        const double t = static_cast<double>(p - a.pip) / static_cast<double>(b.pip - a.pip);
        lane[static_cast<std::size_t>(p)] = a.value + (b.value - a.value) * quintic(t);
    }
    return lane;
}

Block keyframes(int period, const std::optional<std::vector<Key>>& x,
                const std::optional<std::vector<Key>>& y,
                const std::optional<std::vector<Key>>& z) {
    Block block(static_cast<std::size_t>(period));
    const auto fill = [&](const std::optional<std::vector<Key>>& keys, double Sample::*axis) {
        if (!keys) {
            return;
        }
        const std::vector<double> lane = keyframe_lane(period, *keys);
        for (std::size_t i = 0; i < lane.size(); ++i) {
            block[i].*axis = lane[i];
        }
    };
    fill(x, &Sample::x);
    fill(y, &Sample::y);
    fill(z, &Sample::z);
    return block;
}

}  // namespace kgen
