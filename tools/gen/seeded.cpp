#include "gen/seeded.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "gen/sha256.hpp"

namespace kgen {

double periodic_catmull_rom(const std::vector<double>& points, double u) {
    const int n = static_cast<int>(points.size());
    if (n < 3) {
        throw std::runtime_error("a closed Catmull-Rom lane needs at least three points");
    }
    const double s = u * n;
    const double k = std::floor(s);
    const double f = s - k;
    const auto at = [&](int i) { return points[static_cast<std::size_t>(((i % n) + n) % n)]; };
    const int i = static_cast<int>(k);
    const double p0 = at(i - 1);
    const double p1 = at(i);
    const double p2 = at(i + 1);
    const double p3 = at(i + 2);
    const double m1 = (p2 - p0) / 2.0;
    const double m2 = (p3 - p1) / 2.0;
    const double f2 = f * f;
    const double f3 = f2 * f;
    return (2.0 * f3 - 3.0 * f2 + 1.0) * p1 + (f3 - 2.0 * f2 + f) * m1 +
           (-2.0 * f3 + 3.0 * f2) * p2 + (f3 - f2) * m2;
}

std::vector<double> hashed_points(std::string_view prefix, int count) {
    std::vector<double> points;
    points.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        points.push_back(hash_signed_unit(std::string(prefix) + "/" + std::to_string(k)));
    }
    return points;
}

}  // namespace kgen
