// path: closed two- and three-axis curves over eight or sixteen beats. The numbers in
// path_lissajous_2_3 are its cycle counts on x and y, those of path_rose_4 and
// path_rose_5 the petal counts. Formula members are taken as they are (no scaling).
#include <cmath>

#include "gen/kgen.hpp"

namespace {

using kgen::Sample;

Sample lissajous_2_3(double t) { return {0.78 * std::sin(2.0 * t), 0.68 * std::sin(3.0 * t), 0.0}; }

Sample rose_4(double t) {
    return {0.82 * std::cos(2.0 * t) * std::cos(t), 0.82 * std::cos(2.0 * t) * std::sin(t), 0.0};
}

// An odd rose closes after half a turn of its parameter, so the period spans theta / 2.
Sample rose_5(double t) {
    return {0.82 * std::cos(5.0 * t / 2.0) * std::cos(t / 2.0),
            0.82 * std::cos(5.0 * t / 2.0) * std::sin(t / 2.0), 0.0};
}

Sample bowed_diamond(double t) {
    const double c = std::cos(t);
    const double s = std::sin(t);
    return {0.8 * (c * c * c), 0.8 * (s * s * s), 0.0};
}

Sample torus_knot(double t) {
    const double radius = 0.54 + 0.22 * std::cos(3.0 * t);
    return {radius * std::cos(2.0 * t), radius * std::sin(2.0 * t), 0.36 * std::sin(3.0 * t)};
}

Sample woven_3d(double t) {
    return {0.72 * std::sin(2.0 * t), 0.64 * std::sin(3.0 * t), 0.48 * std::sin(5.0 * t)};
}

struct FormulaMember {
    const char* name;
    Sample (*f)(double);
};

constexpr FormulaMember kFormulas[] = {
    {"path_lissajous_2_3", lissajous_2_3}, {"path_rose_4", rose_4},
    {"path_rose_5", rose_5},               {"path_bowed_diamond", bowed_diamond},
    {"path_torus_knot", torus_knot},       {"path_woven_3d", woven_3d},
};

}  // namespace

KGEN_FAMILY(path) {
    for (const FormulaMember& m : kFormulas) {
        kgen::define(m.name, [f = m.f](const kgen::Record& r) { return kgen::sample_theta(r.period, f); });
    }
}
