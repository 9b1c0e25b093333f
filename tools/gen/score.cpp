// Score building shared by the rhythm, groove, swing, sticking and other event families.
#include "gen/score.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace kgen {

double beat_pips(long num, long den) {
    return (64.0 * static_cast<double>(num)) / static_cast<double>(den);
}

std::vector<int> bjorklund(int k, int n) {
    if (k <= 0 || n < k) {
        throw std::invalid_argument("bjorklund: need 0 < k <= n");
    }
    // Pair the remainder groups onto the leading groups until one remainder is left.
    std::vector<std::vector<int>> a(static_cast<std::size_t>(k), std::vector<int>{1});
    std::vector<std::vector<int>> b(static_cast<std::size_t>(n - k), std::vector<int>{0});
    while (b.size() > 1) {
        const std::size_t m = std::min(a.size(), b.size());
        std::vector<std::vector<int>> paired;
        std::vector<std::vector<int>> rest;
        for (std::size_t i = 0; i < m; ++i) {
            std::vector<int> g = a[i];
            g.insert(g.end(), b[i].begin(), b[i].end());
            paired.push_back(std::move(g));
        }
        if (a.size() > m) {
            rest.assign(a.begin() + static_cast<std::ptrdiff_t>(m), a.end());
        } else {
            rest.assign(b.begin() + static_cast<std::ptrdiff_t>(m), b.end());
        }
        a = std::move(paired);
        b = std::move(rest);
    }
    std::vector<int> onsets;
    int step = 0;
    for (const auto* groups : {&a, &b}) {
        for (const std::vector<int>& g : *groups) {
            for (const int bit : g) {
                if (bit == 1) {
                    onsets.push_back(step);
                }
                ++step;
            }
        }
    }
    return onsets;
}

std::vector<Stroke> sticking(std::string_view text) {
    std::vector<Stroke> strokes;
    bool lead = true;
    for (const char c : text) {
        if (c == ' ') {
            lead = true;
            continue;
        }
        if (c != 'R' && c != 'L') {
            throw std::invalid_argument("sticking: unexpected letter in " + std::string(text));
        }
        strokes.push_back(Stroke{c == 'R' ? 1 : -1, lead});
        lead = false;
    }
    return strokes;
}

namespace {

double component(const Sample& s, int axis) {
    return axis == 0 ? s.x : axis == 1 ? s.y : s.z;
}

double gap(double a, double b, int period) { return std::fabs(circular_distance(a, b, period)); }

}  // namespace

void fit_widths(int period, std::vector<Pulse>& pulses, double fraction) {
    std::vector<double> widths;
    for (std::size_t i = 0; i < pulses.size(); ++i) {
        double w = pulses[i].half_width;
        for (std::size_t j = 0; j < pulses.size(); ++j) {
            if (i == j) {
                continue;
            }
            for (int axis = 0; axis < 3; ++axis) {
                if (component(pulses[i].amp, axis) != 0.0 && component(pulses[j].amp, axis) != 0.0) {
                    w = std::min(w, fraction * gap(pulses[i].onset, pulses[j].onset, period));
                }
            }
        }
        widths.push_back(w);
    }
    for (std::size_t i = 0; i < pulses.size(); ++i) {
        pulses[i].half_width = widths[i];
    }
}

void require_visible(int period, const std::vector<Pulse>& pulses) {
    for (std::size_t i = 0; i < pulses.size(); ++i) {
        const Pulse& a = pulses[i];
        if (!(a.half_width > 0.0) || 2.0 * a.half_width >= period) {
            throw std::runtime_error("pulse at " + std::to_string(a.onset) + " has a bad half-width");
        }
        for (std::size_t j = i + 1; j < pulses.size(); ++j) {
            const Pulse& b = pulses[j];
            const double g = gap(a.onset, b.onset, period);
            for (int axis = 0; axis < 3; ++axis) {
                const double ca = component(a.amp, axis);
                const double cb = component(b.amp, axis);
                if (ca == 0.0 || cb == 0.0) {
                    continue;
                }
                bool clear = g >= std::max(a.half_width, b.half_width);
                if ((ca > 0.0) == (cb > 0.0)) {
                    clear = clear && g >= 0.75 * (a.half_width + b.half_width);
                }
                if (!clear) {
                    throw std::runtime_error("pulses at " + std::to_string(a.onset) + " and " +
                                             std::to_string(b.onset) + " merge on axis " +
                                             std::to_string(axis));
                }
            }
        }
    }
}

Block render_score(int period, const std::vector<Pulse>& pulses, double peak_target) {
    require_visible(period, pulses);
    Block block = pulse_score(period, pulses);
    scale_to_peak(block, peak_target);
    return block;
}

}  // namespace kgen
