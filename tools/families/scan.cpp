// scan: a serpentine scan of n rows for scan_style_n. The point sweeps the top row left to
// right, turns (eased, rounding outward) onto the next row down, sweeps it right to left,
// and so on; after the last row it returns to the starting point along the outside of the
// scanned field — round the left side after an even count, under the bottom and up the
// left side after an odd one. flat keeps the rows straight, bowed curves them, tilted
// slants them, depth steps each row further through z. Peak 0.82.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gen/curves.hpp"
#include "gen/kgen.hpp"

namespace {

using kgen::Sample;

enum class Style { flat, bowed, tilted, depth };

struct Scan {
    Style style;
    const char* key;
};

constexpr Scan kStyles[] = {
    {Style::flat, "flat"}, {Style::bowed, "bowed"}, {Style::tilted, "tilted"},
    {Style::depth, "depth"}};
constexpr int kRowCounts[] = {3, 4, 5, 6};

constexpr double kHalfWidth = 0.7;   // rows run from -kHalfWidth to kHalfWidth
constexpr double kTop = 0.6;         // first row; the last lies at -kTop
constexpr double kTurnOut = 0.09;    // how far a turn rounds out past the row ends
constexpr double kOutside = 0.14;    // how far the return runs outside the field
constexpr double kBow = 0.3;         // rise of a bowed row at its middle
constexpr double kSlant = 0.18;      // fall of a tilted row from its middle to its right end
constexpr double kDepth = 0.5;       // depth rows step from -kDepth to kDepth

struct Segment {
    Sample to;
    Sample bulge;
};

// Per-axis travel of a segment, counting the bulge, which sets how long it must take.
double travel(const Sample& from, const Segment& s) {
    const auto axis = [](double d, double b) { return std::fabs(d) + 1.2 * std::fabs(b); };
    return std::max({axis(s.to.x - from.x, s.bulge.x), axis(s.to.y - from.y, s.bulge.y),
                     axis(s.to.z - from.z, s.bulge.z)});
}

kgen::Block make(Style style, int n, int period) {
    const double spacing = 2.0 * kTop / (n - 1);
    const double slant = style == Style::tilted ? kSlant : 0.0;
    const double bow = style == Style::bowed ? kBow : 0.0;
    const auto row_y = [&](int i) { return kTop - spacing * i; };
    const auto row_z = [&](int i) {
        return style == Style::depth ? -kDepth + 2.0 * kDepth * i / (n - 1) : 0.0;
    };
    // Row i runs left to right when i is even; a slanted row falls towards the right.
    const auto row_end = [&](int i, bool right) {
        const double side = right ? 1.0 : -1.0;
        return Sample{side * kHalfWidth, row_y(i) - side * slant, row_z(i)};
    };
    const Sample start = row_end(0, false);
    std::vector<Segment> path;
    for (int i = 0; i < n; ++i) {
        const bool rightward = i % 2 == 0;
        path.push_back({row_end(i, rightward), {0.0, bow, 0.0}});
        if (i + 1 < n) {
            const double out = rightward ? kTurnOut : -kTurnOut;
            path.push_back({row_end(i + 1, rightward), {out, 0.0, 0.0}});
        }
    }
    // The return keeps clear of the field: out past the row starts on the left, and for an
    // odd count first down below the lowest row end and across.
    const double left = -kHalfWidth - kOutside;
    const Sample last = path.back().to;
    if (n % 2 == 1) {
        const double below = last.y - kOutside;
        path.push_back({{last.x, below, last.z}, {}});
        path.push_back({{left, below, last.z}, {}});
    } else {
        path.push_back({{left, last.y, last.z}, {}});
    }
    path.push_back({{left, start.y, start.z}, {}});
    path.push_back({start, {}});
    std::vector<double> span;
    double total = 0.0;
    Sample from = start;
    for (const Segment& s : path) {
        span.push_back(travel(from, s) + 0.05);
        total += span.back();
        from = s.to;
    }
    std::vector<kgen::curve::Move> moves;
    double pip = 0.0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        pip += period * span[i] / total;
        moves.push_back({i + 1 == path.size() ? static_cast<double>(period) : pip, path[i].to,
                         path[i].bulge});
    }
    kgen::Block block = kgen::curve::eased_path(period, start, moves);
    kgen::scale_to_peak(block, 0.82);
    return block;
}

constexpr const char* kDescription =
    "An eased serpentine scan and an explicit outer return to the starting point.";

}  // namespace

KGEN_FAMILY(scan, .peak_low = 0.82, .peak_high = 0.82, .step = 0.045) {
    for (int n : kRowCounts) {
        for (const Scan& s : kStyles) {
            const Style style = s.style;
            const std::string name = std::string("scan_") + s.key + "_" + std::to_string(n);
            kgen::define(name, 1024, style == Style::depth ? 3 : 2, kDescription,
                         [style, n](const kgen::Record& r) { return make(style, n, r.period); });
        }
    }
}
