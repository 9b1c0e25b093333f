// Closed lanes through control points that are evenly spaced over one turn: the periodic
// Catmull-Rom spline, smooth (C1) at every control point and across the seam.
#pragma once

#include <string_view>
#include <vector>

namespace kgen {

// The lane's value at phase u in [0, 1); points[k] sits at u = k / points.size().
double periodic_catmull_rom(const std::vector<double>& points, double u);

// count control points hash_signed_unit(prefix + "/" + k), k = 0 .. count - 1.
std::vector<double> hashed_points(std::string_view prefix, int count);

}  // namespace kgen
