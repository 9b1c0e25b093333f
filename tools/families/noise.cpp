// noise: closed sixteen-beat (1024-pip) wanderings through hash-derived control points.
// The number in each name is the number of control points per lane; point k of a lane is
// SHA-256 of "<name>/<lane>/<k>" mapped to [-1, 1), placed at pip k * 1024 / n and joined
// by a periodic Catmull-Rom spline. drift wanders on x and y; orbit perturbs the radius
// and phase of a circle; ripple lays a small fast wobble on a slow loop; depth adds z.
// Everything is scaled so that the peak is exactly 0.82. No random generator state.
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/seeded.hpp"
#include "gen/sha256.hpp"

namespace {

using kgen::kTwoPi;

enum class Kind { drift, orbit, ripple, depth };

struct Member {
    Kind kind;
    const char* kind_name;
    int points;
};

constexpr Member kMembers[] = {
    {Kind::drift, "drift", 5},   {Kind::drift, "drift", 7},   {Kind::drift, "drift", 9},
    {Kind::drift, "drift", 11},  {Kind::orbit, "orbit", 6},   {Kind::orbit, "orbit", 8},
    {Kind::orbit, "orbit", 10},  {Kind::orbit, "orbit", 12},  {Kind::ripple, "ripple", 5},
    {Kind::ripple, "ripple", 7}, {Kind::ripple, "ripple", 9}, {Kind::ripple, "ripple", 11},
    {Kind::depth, "depth", 6},   {Kind::depth, "depth", 8},   {Kind::depth, "depth", 10},
    {Kind::depth, "depth", 12},
};

// How far the orbit's radius and phase stray from the circle.
constexpr double kOrbitRadius = 0.24;
constexpr double kOrbitPhase = 0.45;
// The ripple: a slow ellipse bent by the control points, and a small wobble of this many
// cycles per period whose size follows its own control lane.
constexpr double kRippleBend = 0.4;
constexpr int kRippleCycles = 14;
constexpr double kRippleWobble = 0.075;
// The ellipse starts a little past its crossing of the x axis, where y is steepest, so
// that the seam is an ordinary step, not the loop's largest.
constexpr double kRippleLead = 0.9;

kgen::Block make(const kgen::Record& r, const Member& m) {
    const auto lane = [&](const char* axis) {
        return kgen::hashed_points(r.name + "/" + axis, m.points);
    };
    const std::vector<double> a = lane("x");
    const std::vector<double> b = lane("y");
    const std::vector<double> c = lane(m.kind == Kind::depth ? "z" : "w");
    kgen::Block block = kgen::sample_pips(r.period, [&](int p) {
        const double u = static_cast<double>(p) / static_cast<double>(r.period);
        const double t = kgen::theta(p, r.period);
        const double la = kgen::periodic_catmull_rom(a, u);
        const double lb = kgen::periodic_catmull_rom(b, u);
        kgen::Sample s;
        switch (m.kind) {
            case Kind::drift:
                s = {la, lb, 0.0};
                break;
            case Kind::orbit: {
                const double radius = 1.0 + kOrbitRadius * la;
                const double phase = t + kOrbitPhase * lb;
                s = {radius * std::cos(phase), radius * std::sin(phase), 0.0};
                break;
            }
            case Kind::ripple: {
                const double wobble =
                    kRippleWobble * (1.0 + 0.5 * kgen::periodic_catmull_rom(c, u));
                const double w = kRippleCycles * t;
                const double slow = t + kRippleLead;
                s = {std::cos(slow) + kRippleBend * la + wobble * std::cos(w),
                     0.7 * std::sin(slow) + kRippleBend * lb + wobble * std::sin(w), 0.0};
                break;
            }
            case Kind::depth:
                s = {la, lb, kgen::periodic_catmull_rom(c, u)};
                break;
        }
        return s;
    });
    kgen::scale_to_peak(block, 0.82);
    return block;
}

}  // namespace

KGEN_FAMILY(noise, .peak_low = 0.82, .peak_high = 0.82, .step = 0.029) {
    // The digests must be those of FIPS 180-4, or every block here silently changes.
    if (kgen::hex(kgen::sha256("abc")) !=
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" ||
        kgen::hex(kgen::sha256("")) !=
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" ||
        kgen::hex(kgen::sha256(std::string(1000, 'a'))) !=
            "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3" ||
        kgen::hex(kgen::sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")) !=
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1") {
        throw std::runtime_error("sha256 does not reproduce its reference digests");
    }
    for (const Member& m : kMembers) {
        const std::string name =
            std::string("noise_") + m.kind_name + "_" + std::to_string(m.points);
        const std::string description = std::string("Indexed SHA-256 control points in a closed ") +
                                        m.kind_name + " path. No mutable random state.";
        kgen::define(name, 1024, m.kind == Kind::depth ? 3 : 2, description,
                     [&m](const kgen::Record& r) { return make(r, m); });
    }
}
