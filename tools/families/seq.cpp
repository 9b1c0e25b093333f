// seq: a step sequencer of positions over eight beats (512 pips). Each shape is a list of
// eight (x, y) steps; "even" gives every step one beat, "lilt" alternates long and short
// steps (84 and 44 pips, near a two-to-one swing). At the start of each step the point
// eases (quintic) from the previous position to the step's own, then rests there; the
// last step leads back into the first, which closes the loop. Scaled to the peak 0.82.
#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

struct Point {
    double x;
    double y;
};

struct Shape {
    const char* name;
    std::vector<Point> steps;
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> list = {
        // a scale up and back down, swaying a little from side to side
        {"up_down",
         {{0.3, -1.0}, {-0.3, -0.5}, {0.3, 0.0}, {-0.3, 0.5}, {0.3, 1.0}, {-0.3, 0.5},
          {0.3, 0.0}, {-0.3, -0.5}}},
        // side to side through the centre, the bob rising towards either end
        {"pendulum",
         {{-1.0, 0.25}, {-0.6, -0.1}, {0.0, -0.3}, {0.6, -0.1}, {1.0, 0.25}, {0.6, -0.1},
          {0.0, -0.3}, {-0.6, -0.1}}},
        // each note answered by its octave, the pair moving across
        {"octave",
         {{-0.6, -0.3}, {-0.6, 0.3}, {0.0, -0.3}, {0.0, 0.3}, {0.6, -0.3}, {0.6, 0.3},
          {0.0, -0.3}, {0.0, 0.3}}},
        // uneven intervals in both directions
        {"unequal",
         {{0.0, 0.2}, {0.1, 0.3}, {0.8, 0.5}, {0.7, -0.3}, {-0.4, -0.2}, {-0.45, -0.05},
          {-0.2, 0.6}, {0.1, 0.1}}},
        // a rising phrase that stops high, away from where it began
        {"question",
         {{-0.5, -0.45}, {-0.3, -0.25}, {-0.4, -0.35}, {0.0, 0.0}, {0.2, 0.15}, {0.4, 0.45},
          {0.55, 0.7}, {0.7, 0.9}}},
        // from that high point back down to the question's start, held as a cadence
        {"answer",
         {{0.7, 0.9}, {0.5, 0.5}, {0.55, 0.6}, {0.2, 0.15}, {-0.1, -0.1}, {-0.3, -0.3},
          {-0.5, -0.45}, {-0.5, -0.45}}},
        // four notches down and forward, a jump back, and the same again
        {"ratchet",
         {{-0.45, 0.8}, {-0.15, 0.55}, {0.15, 0.3}, {0.45, 0.05}, {-0.45, 0.8}, {-0.15, 0.55},
          {0.15, 0.3}, {0.45, 0.05}}},
        // a staircase: across, up, across, up ... to the top stair, then down in two moves
        {"stairs",
         {{-0.6, -0.6}, {-0.2, -0.6}, {-0.2, -0.2}, {0.2, -0.2}, {0.2, 0.2}, {0.6, 0.2},
          {0.6, 0.6}, {0.0, 0.0}}},
    };
    return list;
}

struct Timing {
    const char* name;
    int first;   // duration of the even-numbered steps (pips)
    int second;  // duration of the odd-numbered steps
};

constexpr Timing kTimings[] = {{"even", 64, 64}, {"lilt", 84, 44}};

constexpr double kPeak = 0.82;
// Share of a step spent moving when the distance allows it; longer moves take longer,
// but every step keeps at least its last quarter as a rest.
constexpr double kMoveShare = 0.5;
constexpr double kMoveLimit = 0.75;
// The quintic's steepest slope is 15/8 of its mean; keep the stored step under 0.051.
constexpr double kStepBudget = 0.049;

kgen::Block make(const kgen::Record& r, const Shape& shape, const Timing& timing) {
    double extent = 0.0;
    for (const Point& p : shape.steps) {
        extent = std::max({extent, std::fabs(p.x), std::fabs(p.y)});
    }
    const double scale = kPeak / extent;
    std::vector<kgen::Key> xs;
    std::vector<kgen::Key> ys;
    const std::size_t n = shape.steps.size();
    int start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Point& from = shape.steps[(i + n - 1) % n];
        const Point& to = shape.steps[i];
        const int duration = i % 2 == 0 ? timing.first : timing.second;
        const double distance = std::max(std::fabs(to.x - from.x), std::fabs(to.y - from.y));
        const int needed = static_cast<int>(std::ceil(1.875 * distance * scale / kStepBudget));
        const int move = std::max(static_cast<int>(kMoveShare * duration), needed);
        if (move > kMoveLimit * duration) {
            throw std::runtime_error("seq: a move leaves its step no rest");
        }
        xs.push_back({start, from.x});
        ys.push_back({start, from.y});
        xs.push_back({start + move, to.x});
        ys.push_back({start + move, to.y});
        start += duration;
    }
    if (start != r.period) {
        throw std::runtime_error("seq: the step durations do not fill the period");
    }
    xs.push_back({r.period, xs.front().value});
    ys.push_back({r.period, ys.front().value});
    kgen::Block block = kgen::keyframes(r.period, xs, ys, std::nullopt);
    kgen::scale_to_peak(block, kPeak);
    return block;
}

}  // namespace

KGEN_FAMILY(seq, .peak_low = kPeak, .peak_high = kPeak, .step = 0.051) {
    for (const Shape& shape : shapes()) {
        for (const Timing& timing : kTimings) {
            const std::string name = std::string("seq_") + shape.name + "_" + timing.name;
            const std::string description = std::string("A programmed position sequence with ") +
                                            timing.name +
                                            " segment durations and softened transitions.";
            kgen::define(name, 512, 2, description, [&shape, &timing](const kgen::Record& r) {
                return make(r, shape, timing);
            });
        }
    }
}
