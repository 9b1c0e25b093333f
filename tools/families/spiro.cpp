// spiro: spirograph traces of a circle of radius r rolling inside or outside a fixed circle
// of radius R, the pen at distance d = f r from the rolling centre (f < 1, so the pen stays
// inside the rolling circle). spiro_inside_R_r and spiro_outside_R_r: the two radii.
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

struct Member {
    int R;
    int r;
    double f;
};

constexpr Member kMembers[] = {
    {3, 1, 0.45}, {4, 1, 0.60}, {5, 2, 0.75}, {5, 1, 0.55},
    {7, 2, 0.65}, {7, 3, 0.70}, {8, 3, 0.60}, {9, 4, 0.80},
};

std::string suffix(const Member& m) { return std::to_string(m.R) + "_" + std::to_string(m.r); }

std::string description(const char* side) {
    return std::string("A closed ") + side +
           "-rolling circle trace, with pen radius smaller than the rolling radius.";
}

}  // namespace

KGEN_FAMILY(spiro, .peak_low = 0.82, .peak_high = 0.82, .step = 0.030) {
    for (const Member& m : kMembers) {
        const std::string name = "spiro_inside_" + suffix(m);
        kgen::define(name, 1024, 2, description("inside"), [m](const kgen::Record& rec) {
            const double d = m.f * m.r;
            kgen::Block block = kgen::sample_theta(rec.period, [m, d](double t) {
                kgen::Sample s;
                s.x = (m.R - m.r) * std::cos(m.r * t) + d * std::cos((m.R - m.r) * t);
                s.y = (m.R - m.r) * std::sin(m.r * t) - d * std::sin((m.R - m.r) * t);
                return s;
            });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
    for (const Member& m : kMembers) {
        const std::string name = "spiro_outside_" + suffix(m);
        kgen::define(name, 1024, 2, description("outside"), [m](const kgen::Record& rec) {
            const double d = m.f * m.r;
            kgen::Block block = kgen::sample_theta(rec.period, [m, d](double t) {
                kgen::Sample s;
                s.x = (m.R + m.r) * std::cos(m.r * t) - d * std::cos((m.R + m.r) * t);
                s.y = (m.R + m.r) * std::sin(m.r * t) - d * std::sin((m.R + m.r) * t);
                return s;
            });
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
