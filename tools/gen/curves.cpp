// Curve builders shared by the spatial-path families (see curves.hpp).
#include "gen/curves.hpp"

#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace kgen::curve {

double spow(double v, double e) {
    const double m = std::pow(std::fabs(v), e);
    return v < 0.0 ? -m : m;
}

Sample add(const Sample& a, const Sample& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Sample sub(const Sample& a, const Sample& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Sample mul(const Sample& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

Sample bezier_point(const Sample& from, const Move& move, double q) {
    // The quadratic Bezier through the bulged midpoint, written so that a straight move
    // (zero bulge) is exactly from + (to - from) q and a hold is exactly `from`.
    const double w = 4.0 * q * (1.0 - q);
    return add(add(from, mul(sub(move.to, from), q)), mul(move.bulge, w));
}

Block eased_path(int period, const Sample& start, const std::vector<Move>& moves) {
    if (moves.empty() || moves.back().pip != static_cast<double>(period)) {
        throw std::runtime_error("eased path must end at the period");
    }
    const Sample& last = moves.back().to;
    if (last.x != start.x || last.y != start.y || last.z != start.z) {
        throw std::runtime_error("eased path must return to its start");
    }
    double prev = 0.0;
    for (const Move& m : moves) {
        if (!(m.pip > prev)) {
            throw std::runtime_error("eased path moves must advance in time");
        }
        prev = m.pip;
    }
    Block block;
    block.reserve(static_cast<std::size_t>(period));
    std::size_t seg = 0;
    double seg_start = 0.0;
    Sample from = start;
    for (int p = 0; p < period; ++p) {
        while (static_cast<double>(p) >= moves[seg].pip) {
            seg_start = moves[seg].pip;
            from = moves[seg].to;
            ++seg;
        }
        const Move& m = moves[seg];
        const double t = (static_cast<double>(p) - seg_start) / (m.pip - seg_start);
        block.push_back(bezier_point(from, m, quintic(t)));
    }
    return block;
}

Block hermite_loop(int period, const std::vector<Sample>& points,
                   const std::vector<double>& durations) {
    const std::size_t n = points.size();
    if (n < 3 || durations.size() != n) {
        throw std::runtime_error("hermite loop needs three or more points, one duration each");
    }
    double total = 0.0;
    for (double d : durations) {
        if (!(d > 0.0)) {
            throw std::runtime_error("hermite loop durations must be positive");
        }
        total += d;
    }
    if (std::fabs(total - static_cast<double>(period)) > 1e-9) {
        throw std::runtime_error("hermite loop durations must sum to the period");
    }
    // Three-point derivative on the unequal grid: each chord slope weighted by the length
    // of the other segment, which is exact for a parabola through the three points.
    std::vector<Sample> tangent(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t before = (i + n - 1) % n;
        const std::size_t after = (i + 1) % n;
        const double d0 = durations[before];
        const double d1 = durations[i];
        const Sample s0 = mul(sub(points[i], points[before]), 1.0 / d0);
        const Sample s1 = mul(sub(points[after], points[i]), 1.0 / d1);
        tangent[i] = mul(add(mul(s0, d1), mul(s1, d0)), 1.0 / (d0 + d1));
    }
    Block block;
    block.reserve(static_cast<std::size_t>(period));
    std::size_t seg = 0;
    double seg_start = 0.0;
    for (int p = 0; p < period; ++p) {
        while (seg + 1 < n && static_cast<double>(p) >= seg_start + durations[seg]) {
            seg_start += durations[seg];
            ++seg;
        }
        const double d = durations[seg];
        const double t = (static_cast<double>(p) - seg_start) / d;
        const double t2 = t * t;
        const double t3 = t2 * t;
        const double h00 = 2.0 * t3 - 3.0 * t2 + 1.0;
        const double h10 = t3 - 2.0 * t2 + t;
        const double h01 = -2.0 * t3 + 3.0 * t2;
        const double h11 = t3 - t2;
        const Sample& a = points[seg];
        const Sample& b = points[(seg + 1) % n];
        Sample v = mul(a, h00);
        v = add(v, mul(tangent[seg], h10 * d));
        v = add(v, mul(b, h01));
        v = add(v, mul(tangent[(seg + 1) % n], h11 * d));
        block.push_back(v);
    }
    return block;
}

namespace {

struct Node {
    double u;
    double length;
};

double chord(const Sample& a, const Sample& b) {
    const Sample d = sub(b, a);
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

}  // namespace

Block by_arc_length(int period, const std::function<Sample(double u)>& c,
                    const std::function<double(double u)>& pace) {
    const int fine = 64;
    const std::size_t count = static_cast<std::size_t>(period) * fine;
    const auto at = [&](double u) { return u >= 1.0 ? c(0.0) : c(u); };
    const auto weight = [&](double u0, double u1) {
        return pace ? 1.0 / pace(0.5 * (u0 + u1)) : 1.0;
    };
    // A first, even pass sets the resolution; cells that still carry a long piece of the
    // curve (where the parametrisation is singular, as at the flat sides of a superellipse)
    // are halved until each piece is a small fraction of one pip's travel.
    double estimate = 0.0;
    for (std::size_t j = 0; j < count; ++j) {
        const double u0 = static_cast<double>(j) / static_cast<double>(count);
        const double u1 = static_cast<double>(j + 1) / static_cast<double>(count);
        estimate += chord(at(u0), at(u1)) * weight(u0, u1);
    }
    if (!(estimate > 0.0)) {
        throw std::runtime_error("arc-length timing needs a curve that moves");
    }
    const double limit = estimate / static_cast<double>(count);
    std::vector<Node> nodes{{0.0, 0.0}};
    struct Piece {
        double u0, u1;
        Sample p0, p1;
        int depth;
    };
    std::vector<Piece> stack;
    for (std::size_t j = count; j-- > 0;) {
        const double u0 = static_cast<double>(j) / static_cast<double>(count);
        const double u1 = static_cast<double>(j + 1) / static_cast<double>(count);
        stack.push_back({u0, u1, at(u0), at(u1), 0});
    }
    while (!stack.empty()) {
        const Piece piece = stack.back();
        stack.pop_back();
        const double dl = chord(piece.p0, piece.p1) * weight(piece.u0, piece.u1);
        if (dl > limit && piece.depth < 40) {
            const double um = 0.5 * (piece.u0 + piece.u1);
            const Sample pm = at(um);
            stack.push_back({um, piece.u1, pm, piece.p1, piece.depth + 1});
            stack.push_back({piece.u0, um, piece.p0, pm, piece.depth + 1});
            continue;
        }
        nodes.push_back({piece.u1, nodes.back().length + dl});
    }
    const double total = nodes.back().length;
    Block block;
    block.reserve(static_cast<std::size_t>(period));
    std::size_t j = 0;
    for (int p = 0; p < period; ++p) {
        const double target = total * static_cast<double>(p) / static_cast<double>(period);
        while (j + 2 < nodes.size() && nodes[j + 1].length <= target) {
            ++j;
        }
        const double span = nodes[j + 1].length - nodes[j].length;
        const double frac = span > 0.0 ? (target - nodes[j].length) / span : 0.0;
        block.push_back(at(nodes[j].u + (nodes[j + 1].u - nodes[j].u) * frac));
    }
    return block;
}

}  // namespace kgen::curve
