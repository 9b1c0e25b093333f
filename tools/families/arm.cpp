// arm: the tip of a jointed arm, by forward kinematics. A shoulder joint at the origin
// carries a first link, an elbow a second; both joint angles are smooth periodic drives
// (sums of a few sines over the period, the shoulder of some members also turning right
// round). coupled_01 … 08 stay in the plane; 09 … 16 also move z, either by turning the
// whole arm about the vertical axis (a base rotation) or by a third link that pitches out
// of the plane. The tip path is centred on its mean and scaled to peak 0.82.
#include <cmath>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

using kgen::Sample;

enum class Third { none, base, wrist };

struct Drive {
    double rest;
    double amp1;
    int freq1;
    double phase1;
    double amp2;
    int freq2;
    double phase2;

    double at(double th) const {
        return rest + amp1 * std::sin(freq1 * th + phase1) + amp2 * std::sin(freq2 * th + phase2);
    }
};

struct Arm {
    double upper;   // first link length
    double fore;    // second link length
    int turns;      // whole turns of the shoulder per period, besides its swing
    Drive shoulder;
    Drive elbow;
    Third third;
    double wrist;   // third link length (wrist only)
    Drive out;      // base rotation, or the third link's pitch out of the plane
};

const std::vector<Arm>& members() {
    static const std::vector<Arm> list = {
        {1.0, 0.8, 0, {0.3, 0.9, 1, 0.0, 0.25, 2, 1.0}, {1.2, 0.7, 2, 0.4, 0.0, 1, 0.0},
         Third::none, 0.0, {}},
        {0.8, 1.0, 1, {0.0, 0.4, 2, 0.5, 0.0, 1, 0.0}, {1.6, 0.5, 3, 0.0, 0.2, 1, 1.2},
         Third::none, 0.0, {}},
        {1.0, 0.55, 0, {1.2, 1.1, 1, 0.8, 0.0, 1, 0.0}, {0.6, 1.0, 1, 2.0, 0.3, 3, 0.0},
         Third::none, 0.0, {}},
        {0.9, 0.9, 0, {-0.5, 0.7, 1, 0.2, 0.3, 3, 0.6}, {2.0, 0.6, 2, 1.0, 0.0, 1, 0.0},
         Third::none, 0.0, {}},
        {1.0, 0.45, 1, {0.0, 0.3, 1, 1.5, 0.0, 1, 0.0}, {0.0, 2.2, 3, 0.0, 0.0, 1, 0.0},
         Third::none, 0.0, {}},
        {0.7, 1.0, 0, {0.8, 1.2, 1, 2.4, 0.2, 2, 0.0}, {1.0, 0.9, 1, 0.3, 0.35, 2, 2.0},
         Third::none, 0.0, {}},
        {1.0, 0.7, 1, {0.5, 0.5, 1, 0.0, 0.0, 1, 0.0}, {1.3, 0.8, 4, 0.7, 0.0, 1, 0.0},
         Third::none, 0.0, {}},
        {0.85, 0.65, 0, {-1.0, 0.8, 2, 0.0, 0.4, 1, 2.2}, {1.8, 1.0, 1, 1.4, 0.0, 1, 0.0},
         Third::none, 0.0, {}},
        {1.0, 0.8, 0, {0.3, 0.9, 1, 0.0, 0.25, 2, 1.0}, {1.2, 0.7, 2, 0.4, 0.0, 1, 0.0},
         Third::base, 0.0, {0.0, 0.7, 1, 0.5, 0.0, 1, 0.0}},
        {0.9, 0.7, 1, {0.0, 0.5, 2, 0.0, 0.0, 1, 0.0}, {1.4, 0.6, 2, 1.1, 0.0, 1, 0.0},
         Third::base, 0.0, {0.2, 0.5, 3, 0.0, 0.0, 1, 0.0}},
        {1.0, 0.6, 0, {0.9, 1.0, 1, 1.2, 0.0, 1, 0.0}, {0.8, 0.9, 2, 0.0, 0.0, 1, 0.0},
         Third::wrist, 0.45, {0.0, 1.1, 1, 2.0, 0.0, 1, 0.0}},
        {0.8, 0.8, 0, {-0.4, 0.8, 1, 0.5, 0.3, 2, 0.0}, {1.7, 0.7, 1, 2.2, 0.0, 1, 0.0},
         Third::wrist, 0.5, {0.3, 0.9, 2, 0.4, 0.0, 1, 0.0}},
        {1.0, 0.5, 1, {0.0, 0.35, 1, 0.9, 0.0, 1, 0.0}, {0.4, 1.6, 2, 0.0, 0.0, 1, 0.0},
         Third::base, 0.0, {0.0, 0.6, 2, 1.3, 0.2, 1, 0.0}},
        {0.75, 0.95, 0, {0.6, 1.1, 1, 2.8, 0.0, 1, 0.0}, {1.1, 0.8, 3, 0.6, 0.0, 1, 0.0},
         Third::wrist, 0.35, {0.0, 1.2, 2, 1.0, 0.0, 1, 0.0}},
        {1.0, 0.75, 0, {-0.8, 0.9, 2, 1.7, 0.0, 1, 0.0}, {1.5, 0.6, 1, 0.0, 0.3, 3, 0.9},
         Third::base, 0.0, {0.0, 0.8, 1, 0.0, 0.0, 1, 0.0}},
        {0.9, 0.6, 1, {0.2, 0.3, 3, 0.0, 0.0, 1, 0.0}, {1.0, 1.0, 1, 0.8, 0.0, 1, 0.0},
         Third::wrist, 0.4, {0.0, 1.0, 3, 0.7, 0.0, 1, 0.0}},
    };
    return list;
}

Sample tip(const Arm& a, double th) {
    const double s = a.shoulder.at(th) + a.turns * th;
    const double e = s + a.elbow.at(th);
    double x = a.upper * std::cos(s) + a.fore * std::cos(e);
    double y = a.upper * std::sin(s) + a.fore * std::sin(e);
    double z = 0.0;
    switch (a.third) {
        case Third::none:
            break;
        case Third::base: {
            const double g = a.out.at(th);
            z = x * std::sin(g);
            x = x * std::cos(g);
            break;
        }
        case Third::wrist: {
            // The third link points along the second one, pitched out of the plane.
            const double pitch = a.out.at(th);
            x += a.wrist * std::cos(pitch) * std::cos(e);
            y += a.wrist * std::cos(pitch) * std::sin(e);
            z = a.wrist * std::sin(pitch);
            break;
        }
    }
    return {x, y, z};
}

constexpr const char* kDescription =
    "Tip position of two kinematically driven links; not a dynamics simulation or anatomical "
    "model.";

}  // namespace

KGEN_FAMILY(arm, .peak_low = 0.8199, .peak_high = 0.82, .step = 0.027) {
    int number = 0;
    for (const Arm& arm : members()) {
        const std::string name = "arm_coupled_" + kgen::two_digits(++number);
        const int dimensions = arm.third == Third::none ? 2 : 3;
        kgen::define(name, 1024, dimensions, kDescription, [arm](const kgen::Record& r) {
            kgen::Block block =
                kgen::sample_theta(r.period, [&](double th) { return tip(arm, th); });
            Sample mean;
            for (const Sample& s : block) {
                mean = {mean.x + s.x, mean.y + s.y, mean.z + s.z};
            }
            const double n = static_cast<double>(block.size());
            mean = {mean.x / n, mean.y / n, mean.z / n};
            for (Sample& s : block) {
                s = {s.x - mean.x, s.y - mean.y, s.z - mean.z};
            }
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
