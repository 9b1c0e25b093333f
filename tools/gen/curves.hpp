// Curve builders for the spatial-path families: signed powers, eased keyframe paths with
// curved moves, periodic cubic Hermite loops and re-timing of a closed curve by arc length.
#pragma once

#include <functional>
#include <vector>

#include "gen/kgen.hpp"

namespace kgen::curve {

// sgn(v) * |v|^e, the edge function of a superellipse.
double spow(double v, double e);

Sample add(const Sample& a, const Sample& b);
Sample sub(const Sample& a, const Sample& b);
Sample mul(const Sample& a, double s);

// One move of an eased path: from the previous point to `to`, arriving at `pip` (which
// may be fractional). The move follows a quadratic Bezier whose midpoint is pushed off the
// straight chord by `bulge` (zero gives a straight line) and is timed by the quintic
// easing, so the path comes to rest at every key. Equal neighbouring points make a hold.
struct Move {
    double pip;
    Sample to;
    Sample bulge{};
};

// Samples an eased path that starts at `start` at pip 0. The last move must arrive at the
// period and at `start` again, so the loop closes without a jump.
Block eased_path(int period, const Sample& start, const std::vector<Move>& moves);

// Point at fraction q (0..1) of one move's Bezier.
Sample bezier_point(const Sample& from, const Move& move, double q);

// A smooth closed loop through `points`: periodic cubic Hermite segments, segment i lasting
// durations[i] pips (the durations sum to the period), tangents from the neighbouring
// points with the unequal segment times taken into account, wrapping round at the seam.
Block hermite_loop(int period, const std::vector<Sample>& points,
                   const std::vector<double>& durations);

// Re-times a closed curve c(u), u in [0, 1), so that it is traversed at a speed
// proportional to pace(u) (constant pace gives uniform arc length per pip). The curve
// itself is evaluated exactly; only the timing comes from a dense table.
Block by_arc_length(int period, const std::function<Sample(double u)>& c,
                    const std::function<double(double u)>& pace = nullptr);

}  // namespace kgen::curve
