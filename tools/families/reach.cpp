// reach: for reach_style_n, n separate reaches in one period. Each reach leaves the shared
// centre along its own direction, reaches out, and settles back to the centre before the
// next one leaves, so the path never jumps and pip 0 is the centre itself. The style
// shapes every reach: scoop bends the way out into a dipping curve and comes back
// straight, hook curls a small loop at the tip, lift rises through depth as it reaches,
// recoil settles with a small overshoot back past the centre. Peak 0.82.
#include <cmath>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

using kgen::kPi;
using kgen::Sample;

enum class Style { scoop, hook, lift, recoil };

struct Reach {
    Style style;
    int n;
    double first;   // direction of the first reach, radians
    int order;      // the directions are taken in steps of this many n-ths of a turn
    double spread;  // how much the reach lengths differ from one another
    double shape;   // size of the style's feature, relative to the reach length
};

const std::vector<Reach>& members() {
    static const std::vector<Reach> list = {
        {Style::scoop, 3, 0.5, 1, 0.15, 0.34},
        {Style::hook, 3, 1.9, 2, 0.12, 0.15},
        {Style::lift, 3, -0.3, 1, 0.18, 0.7},
        {Style::recoil, 3, 2.6, 2, 0.14, 0.16},
        {Style::scoop, 4, 0.2, 1, 0.2, 0.3},
        {Style::hook, 4, 0.8, 3, 0.15, 0.14},
        {Style::lift, 4, 1.2, 1, 0.12, 0.6},
        {Style::recoil, 4, -0.6, 3, 0.18, 0.15},
        {Style::scoop, 5, 1.4, 2, 0.16, 0.3},
        {Style::hook, 5, 0.1, 3, 0.2, 0.13},
        {Style::lift, 5, 2.2, 2, 0.15, 0.65},
        {Style::recoil, 5, 0.9, 1, 0.12, 0.14},
        {Style::scoop, 7, -0.4, 3, 0.14, 0.26},
        {Style::hook, 7, 1.1, 2, 0.16, 0.1},
        {Style::lift, 7, 0.6, 3, 0.2, 0.55},
        {Style::recoil, 7, 1.7, 4, 0.15, 0.13},
    };
    return list;
}

double sq(double v) { return v * v; }

// Out and back with zero speed at both ends; it leaves a little quicker than it settles.
double extent(double t) {
    const double w = t + 0.15 * std::sin(2.0 * kPi * t) / kPi;
    return sq(std::sin(kPi * w));
}

// A sideways bend that is largest on the way out and gone by the time the reach is back.
double bend(double t) { return sq(std::sin(kPi * t)) * sq(std::cos(kPi * t / 2.0)); }

// Offset of reach i at its local time t (0 … 1), in its own frame: along the direction,
// across it, and in depth.
Sample shaped(const Reach& r, int i, double t) {
    switch (r.style) {
        case Style::scoop:
            return {extent(t), r.shape * bend(t), 0.0};
        case Style::hook: {
            // A loop at the tip: the curl turns once round while the reach is far out.
            double c = (t - 0.3) / 0.4;
            c = c < 0.0 ? 0.0 : (c > 1.0 ? 1.0 : c);
            const double turn = 2.0 * kPi * kgen::quintic(c);
            const double side = i % 2 == 0 ? 1.0 : -1.0;
            return {extent(t) + r.shape * std::sin(turn),
                    side * r.shape * (1.0 - std::cos(turn)), 0.0};
        }
        case Style::lift:
            // Depth keeps rising a little after the reach has turned back.
            return {0.75 * extent(t), 0.08 * bend(t),
                    r.shape * sq(std::sin(kPi * t)) * (1.0 - 0.35 * std::cos(kPi * t))};
        case Style::recoil: {
            const double main = 0.8;
            if (t < main) {
                return {extent(t / main), 0.1 * bend(t / main), 0.0};
            }
            return {-r.shape * sq(std::sin(kPi * (t - main) / (1.0 - main))), 0.0, 0.0};
        }
    }
    return {};
}

kgen::Block make(const Reach& r, int period) {
    return kgen::sample_pips(period, [&](int p) {
        const double u = static_cast<double>(p) * r.n / period;
        const int i = static_cast<int>(std::floor(u));
        const double t = u - i;
        const double a = r.first + 2.0 * kPi * ((i * r.order) % r.n) / r.n;
        const double len = 1.0 - r.spread * (0.5 + 0.5 * std::sin(2.3 * i + 0.7));
        Sample f = shaped(r, i, t);
        if (r.style == Style::scoop && std::cos(a) < 0.0) {
            f.y = -f.y;  // bend to the lower side, so the scoop dips
        }
        const double c = std::cos(a);
        const double s = std::sin(a);
        return Sample{len * (f.x * c - f.y * s), len * (f.x * s + f.y * c), len * f.z};
    });
}

const char* key(Style s) {
    switch (s) {
        case Style::scoop: return "scoop";
        case Style::hook: return "hook";
        case Style::lift: return "lift";
        case Style::recoil: return "recoil";
    }
    return "";
}

constexpr const char* kDescription =
    "Separate shaped reaches depart from and settle at a shared centre, without reset jumps.";

}  // namespace

KGEN_FAMILY(reach, .peak_low = 0.8199, .peak_high = 0.82, .step = 0.029,
             .origin = kgen::Origin::exact) {
    for (const Reach& r : members()) {
        const std::string name = std::string("reach_") + key(r.style) + "_" + std::to_string(r.n);
        kgen::define(name, 1024, r.style == Style::lift ? 3 : 2, kDescription,
                     [r](const kgen::Record& rec) {
                         kgen::Block block = make(r, rec.period);
                         kgen::scale_to_peak(block, 0.82);
                         return block;
                     });
    }
}
