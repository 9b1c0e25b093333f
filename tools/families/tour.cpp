// tour: for tour_n_k, a tour of the star polygon {n/k}. The n vertices sit on a closed
// non-circular curve (an ellipse or a superellipse, turned), and the point visits them in
// steps of k: vertex 0, k, 2k, … (mod n), back to 0. At each vertex it dwells, for a long
// and a short time by turns, then makes an eased move to the next vertex. The second eight
// also move in depth, the vertex curve rising and falling round its turn. Peak 0.82.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/curves.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::Sample;

struct Tour {
    const char* suffix;
    int n;
    int k;
    double edge;     // superellipse edge exponent (1 is an ellipse, below 1 squarer)
    double aspect;   // height relative to width
    double turn;     // rotation of the vertex curve, radians
    double first;    // angle of vertex 0 on the curve, radians
    int z_waves;     // depth waves round the vertex curve (0: flat)
    double z_amp;
    double dwell;    // share of the period spent dwelling
    double ratio;    // long dwell over short dwell
};

const std::vector<Tour>& members() {
    static const std::vector<Tour> list = {
        {"5_2", 5, 2, 1.0, 0.7, 0.2, 1.5708, 0, 0.0, 0.3, 2.5},
        {"7_2", 7, 2, 0.7, 0.8, -0.3, 1.3, 0, 0.0, 0.28, 2.2},
        {"7_3", 7, 3, 1.0, 0.62, 0.45, 0.2, 0, 0.0, 0.2, 2.0},
        {"8_3", 8, 3, 0.6, 0.75, 0.1, 0.39, 0, 0.0, 0.22, 2.4},
        {"9_2", 9, 2, 1.0, 0.82, -0.5, 1.0, 0, 0.0, 0.3, 1.8},
        {"9_4", 9, 4, 0.75, 0.66, 0.3, 2.0, 0, 0.0, 0.16, 2.2},
        {"10_3", 10, 3, 0.65, 0.85, -0.15, 0.0, 0, 0.0, 0.2, 2.0},
        {"11_2", 11, 2, 1.0, 0.7, 0.6, 0.7, 0, 0.0, 0.3, 2.0},
        {"11_3", 11, 3, 0.8, 0.72, -0.25, 1.2, 2, 0.45, 0.22, 2.0},
        {"11_4", 11, 4, 1.0, 0.64, 0.35, 0.4, 1, 0.5, 0.16, 2.2},
        {"12_5", 12, 5, 0.7, 0.8, 0.05, 0.26, 3, 0.35, 0.12, 2.0},
        {"13_2", 13, 2, 1.0, 0.76, -0.4, 0.9, 2, 0.5, 0.3, 1.8},
        {"13_3", 13, 3, 0.75, 0.68, 0.2, 1.8, 1, 0.45, 0.22, 2.0},
        {"13_4", 13, 4, 1.0, 0.6, -0.1, 0.5, 3, 0.3, 0.16, 2.2},
        {"13_5", 13, 5, 0.85, 0.7, 0.5, 2.4, 2, 0.3, 0.1, 2.0},
        {"14_3", 14, 3, 0.7, 0.78, -0.35, 0.1, 1, 0.4, 0.2, 2.0},
    };
    return list;
}

// Vertex j of the curve, before scaling.
Sample vertex(const Tour& t, int j) {
    const double a = t.first + kgen::kTwoPi * j / t.n;
    const double u = kgen::curve::spow(std::cos(a), t.edge);
    const double v = t.aspect * kgen::curve::spow(std::sin(a), t.edge);
    const double c = std::cos(t.turn);
    const double s = std::sin(t.turn);
    const double z = t.z_waves == 0 ? 0.0 : t.z_amp * std::sin(t.z_waves * a + 0.5);
    return {u * c - v * s, u * s + v * c, z};
}

double axis_span(const Sample& a, const Sample& b) {
    return std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
}

kgen::Block make(const Tour& t, int period) {
    // Vertices in visiting order, scaled to the peak first so the move times below are
    // set against the stored step bound.
    std::vector<Sample> visit;
    double peak = 0.0;
    for (int i = 0; i < t.n; ++i) {
        const Sample p = vertex(t, (i * t.k) % t.n);
        peak = std::max({peak, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
        visit.push_back(p);
    }
    for (Sample& p : visit) {
        p = kgen::curve::mul(p, 0.82 / peak);
    }
    // A quintic move of span d over m pips steps at most 1.875 d / m; keep clear of 0.037.
    const double per_span = 1.875 / 0.034;
    std::vector<double> span(visit.size());
    double spans = 0.0;
    for (std::size_t i = 0; i < visit.size(); ++i) {
        span[i] = axis_span(visit[i], visit[(i + 1) % visit.size()]);
        spans += span[i];
    }
    const double P = period;
    const double move_time = std::min(P * (1.0 - t.dwell), P - 4.0 * t.n);
    if (move_time < per_span * spans) {
        throw std::runtime_error("tour: the moves do not fit the step bound");
    }
    const double dwell_time = P - move_time;
    const int longs = (t.n + 1) / 2;
    const int shorts = t.n / 2;
    const double short_dwell = dwell_time / (longs * t.ratio + shorts);
    std::vector<kgen::curve::Move> moves;
    double pip = 0.0;
    for (std::size_t i = 0; i < visit.size(); ++i) {
        const double dwell = i % 2 == 0 ? short_dwell * t.ratio : short_dwell;
        pip += dwell;
        moves.push_back({pip, visit[i]});
        pip += move_time * span[i] / spans;
        moves.push_back({i + 1 == visit.size() ? P : pip, visit[(i + 1) % visit.size()]});
    }
    kgen::Block block = kgen::curve::eased_path(period, visit[0], moves);
    kgen::scale_to_peak(block, 0.82);
    return block;
}

constexpr const char* kDescription =
    "A noncircular vertex tour with eased corners and alternating dwell lengths.";

}  // namespace

KGEN_FAMILY(tour, .peak_low = 0.82, .peak_high = 0.82, .step = 0.037) {
    for (const Tour& t : members()) {
        kgen::define(std::string("tour_") + t.suffix, 1024, t.z_waves > 0 ? 3 : 2, kDescription,
                     [t](const kgen::Record& r) { return make(t, r.period); });
    }
}
