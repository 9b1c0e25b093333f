// echo: a call to the right (lifted on y) at pip 0, followed by n echoes that decay by a
// fixed factor down to about a fifth of the call (echo_style_n), then an answer thrown
// forward in depth at beats 5 and 6. The echoes of every style end three beats after the
// call (four when crossed), so n sets their density.
//   regular    equal gaps, 3/n beats
//   shrinking  each gap 3/4 of the one before
//   expanding  each gap 4/3 of the one before
//   crossed    equal gaps of 4/n beats, alternating sides
// Every gap is an exact fraction of a beat, kept as one until the pip conversion.
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

struct Style {
    const char* key;
    long span;                  // beats from the call to the last echo
    long ratio_num, ratio_den;  // each gap over the one before
    bool crossed;
    double peak;
};

const Style kStyles[] = {
    {"regular", 3, 1, 1, false, 0.30},
    {"shrinking", 3, 3, 4, false, 0.29},
    {"expanding", 3, 4, 3, false, 0.28},
    {"crossed", 4, 1, 1, true, 0.305},
};

long power(long base, int e) {
    long v = 1;
    for (int i = 0; i < e; ++i) {
        v *= base;
    }
    return v;
}

// Keeps the fractions small enough for long arithmetic.
void reduce(long& num, long& den) {
    const long g = std::gcd(num, den);
    num /= g;
    den /= g;
}

// The first gap g of n gaps growing by a/b that add up to span: g (1 - (a/b)^n) / (1 - a/b)
// = span, so g = span (b - a) b^(n-1) / (b^n - a^n); n gaps of span/n when a = b.
void first_gap(const Style& s, int n, long& num, long& den) {
    const long a = s.ratio_num;
    const long b = s.ratio_den;
    if (a == b) {
        num = s.span;
        den = n;
        return;
    }
    num = s.span * (b - a) * power(b, n - 1);
    den = power(b, n) - power(a, n);
}

constexpr int kCounts[] = {3, 4, 5, 6};
// The last echo keeps this share of the call, whatever n.
constexpr double kLastEcho = 0.22;
constexpr double kWidth = 12.0;

constexpr const char* kDescription =
    "An original decaying call and a differently directed answer; echo spacing is preserved as "
    "fractions.";

}  // namespace

KGEN_FAMILY(echo, .peak_low = 0.2489, .peak_high = 0.31, .step = 0.075) {
    for (const int n : kCounts) {
        for (const Style& s : kStyles) {
            const std::string name = std::string("echo_") + s.key + "_" + std::to_string(n);
            kgen::define(name, 512, 3, kDescription, [s, n](const kgen::Record& r) {
                std::vector<Pulse> score;
                score.push_back({0.0, kWidth, {1.0, 0.4, 0.0}});
                long at_num = 0;  // the onset so far, at_num / at_den beats
                long at_den = 1;
                long gap_num = 0;
                long gap_den = 1;
                first_gap(s, n, gap_num, gap_den);
                const double decay = std::pow(kLastEcho, 1.0 / n);
                double size = 1.0;
                for (int k = 1; k <= n; ++k) {
                    at_num = at_num * gap_den + gap_num * at_den;
                    at_den = at_den * gap_den;
                    reduce(at_num, at_den);
                    size = size * decay;
                    const double side = s.crossed && k % 2 == 1 ? -1.0 : 1.0;
                    score.push_back({kgen::beat_pips(at_num, at_den), kWidth, {side * size, 0.0, 0.0}});
                    gap_num = gap_num * s.ratio_num;
                    gap_den = gap_den * s.ratio_den;
                    reduce(gap_num, gap_den);
                }
                score.push_back({kgen::beat_pips(5), kWidth, {0.0, -0.4, 0.9}});
                score.push_back({kgen::beat_pips(6), kWidth, {0.0, -0.25, 0.55}});
                kgen::fit_widths(r.period, score, 0.6);
                return kgen::render_score(r.period, score, s.peak);
            });
        }
    }
}
