// packet: compact oscillation packets over eight beats (512 pips). packet_<style>_n lays
// n packets one after another around the phrase, each a fast oscillation under a sin^2
// window that starts and ends at zero, so the point leaves the centre, ripples and comes
// back, and pip 0 is the origin. The style shapes the side motion: alternating packets
// lean left and right in turn, cascading ones step along a diagonal while they shrink,
// crossing ones sweep from one side to the other, depth ones sit around a circle and
// ripple in z. Scaled to the peak 0.82; the fast oscillation is what the family's wide
// step bound is for.
#include <cmath>
#include <string>

#include "gen/kgen.hpp"

namespace {

using kgen::kPi;
using kgen::kTwoPi;

enum class Style { alternating, cascading, crossing, depth };

struct StyleRow {
    Style style;
    const char* name;
};

constexpr StyleRow kStyles[] = {
    {Style::alternating, "alternating"},
    {Style::cascading, "cascading"},
    {Style::crossing, "crossing"},
    {Style::depth, "depth"},
};

constexpr int kCounts[] = {2, 3, 4, 5};

constexpr double kGap = 0.08;        // share of each packet's slot left at rest on either side
constexpr double kCycleLength = 36.0; // pips per oscillation cycle, roughly: the count is whole
constexpr double kRipple = 0.45;     // oscillation amplitude
constexpr double kSide = 0.5;        // how far a packet leans out
constexpr double kShrink = 0.12;     // cascading packets lose this share of size each
// sin^2(pi u) cos(pi u) peaks at 2 / (3 sqrt 3); dividing by it makes the sweep reach kSide.
const double kSweepPeak = 2.0 / (3.0 * std::sqrt(3.0));

kgen::Sample packet(Style style, int i, int n, double cycles, double u) {
    const double s = std::sin(kPi * u);
    const double w = s * s;
    const double ripple = std::sin(kTwoPi * cycles * u);
    const double side = (i % 2 == 0) ? 1.0 : -1.0;
    const double along = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
    kgen::Sample v;
    switch (style) {
        case Style::alternating:
            v = {w * side * kSide, w * kRipple * ripple, 0.0};
            break;
        case Style::cascading: {
            const double size = 1.0 - kShrink * i;
            v = {w * kSide * (2.0 * along - 1.0), w * (kSide * 0.6 * (1.0 - 2.0 * along) +
                                                       size * kRipple * ripple),
                 0.0};
            break;
        }
        case Style::crossing:
            v = {side * kSide * w * std::cos(kPi * u) / kSweepPeak, w * kRipple * ripple, 0.0};
            break;
        case Style::depth: {
            const double at = kTwoPi * i / n + kPi / 2.0;
            v = {w * kSide * std::cos(at), w * kSide * std::sin(at), w * kRipple * ripple};
            break;
        }
    }
    return v;
}

kgen::Block make(const kgen::Record& r, Style style, int n) {
    const double slot = static_cast<double>(r.period) / n;
    const double cycles = std::fmax(2.0, std::round(slot * (1.0 - 2.0 * kGap) / kCycleLength));
    kgen::Block block = kgen::sample_pips(r.period, [&](int p) {
        const int i = static_cast<int>(p / slot);
        const double start = i * slot + kGap * slot;
        const double width = slot * (1.0 - 2.0 * kGap);
        const double u = (p - start) / width;
        if (u <= 0.0 || u >= 1.0) {
            return kgen::Sample{};
        }
        return packet(style, i, n, cycles, u);
    });
    kgen::scale_to_peak(block, 0.82);
    return block;
}

constexpr const char* kDescription =
    "Compact, smooth-edged oscillation packets arranged around a closed phrase, with shaped "
    "side motion.";

}  // namespace

KGEN_FAMILY(packet, .peak_low = 0.8196, .peak_high = 0.82, .step = 0.168,
             .origin = kgen::Origin::near) {
    for (int n : kCounts) {
        for (const StyleRow& s : kStyles) {
            const std::string name = std::string("packet_") + s.name + "_" + std::to_string(n);
            const int dimensions = s.style == Style::depth ? 3 : 2;
            const Style style = s.style;
            kgen::define(name, 512, dimensions, kDescription, [style, n](const kgen::Record& r) {
                return make(r, style, n);
            });
        }
    }
}
