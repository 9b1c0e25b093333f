// mech: points of interest of small mechanisms over eight beats (512 pips), computed
// exactly from each mechanism's geometry while its driving crank or cam turns at an even
// speed, then centred (midrange per axis) and scaled to the peak 0.82. Lengths are in
// crank radii; "turns" is how many times the driver goes round in one period. The words
// in the names are mechanisms, not counts, except the lobe counts of the lobed cams.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "gen/kgen.hpp"

namespace {

using kgen::kPi;
using kgen::kTwoPi;
using kgen::Sample;

struct Vec {
    double x;
    double y;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(double s, Vec a) { return {s * a.x, s * a.y}; }
double length(Vec a) { return std::hypot(a.x, a.y); }
Vec polar(double r, double angle) { return {r * std::cos(angle), r * std::sin(angle)}; }

// The intersection of the circles (c1, r1) and (c2, r2) on the left of c1 -> c2 (side +1)
// or on its right (side -1): the closing point of a four-bar loop.
Vec circle_meet(Vec c1, double r1, Vec c2, double r2, double side) {
    const Vec d = c2 - c1;
    const double dist = length(d);
    const double a = (r1 * r1 - r2 * r2 + dist * dist) / (2.0 * dist);
    const double h2 = r1 * r1 - a * a;
    if (h2 < 0.0) {
        throw std::runtime_error("mech: the linkage cannot close at this crank angle");
    }
    const double h = std::sqrt(h2);
    const Vec u = (1.0 / dist) * d;
    return c1 + a * u + (side * h) * Vec{-u.y, u.x};
}

enum class Kind {
    slider_crank,   // a: rod length, b: slider axis offset, c: traced fraction along the rod
    yoke,           // a: rocker pivot depth, b: rocker length
    whitworth,      // a: lever pivot offset (< 1), b: lever length, c: ram link length
    flat_ellipse,   // a, b: semi-axes of the elliptic cam under a flat-faced follower
    lobed_rocker,   // a: lobes, b: lobe lift, c: rocker pivot distance, d: rocker arm length,
                    // e: lobe sharpness (the exponent of the raised cosine)
    escapement,     // a: ticks per turn, b: share of a tick spent moving
    paddle,         // a: feathering eccentric offset, b: blade length
    wobble,         // a: plate tilt (radians), b: height of the traced pin above the plate
    beam,           // a: pitman length, b: driven arm, c: far arm, d: beam pivot x, e: pivot y
    coupled,        // a, b: crank radii, c: half the crank spacing, d: gear ratio of the second
    crank_rocker,   // a: coupler, b: rocker, c: ground, d, e: coupler point along, across
    balance,        // a: rod length, b: balance mass radius
    cam_return,     // a: rise share of a turn, b: return share (dwells fill the rest)
};

struct Member {
    const char* suffix;
    const char* title;
    Kind kind;
    double turns;
    double start;  // crank angle at pip 0, so the seam is an ordinary step
    double a, b, c, d, e;
};

constexpr Member kMembers[] = {
    {"piston_short", "Short-rod piston",
     Kind::slider_crank, 2, 0.3, 1.6, 0.0, 0.5, 0, 0},
    {"piston_long", "Long-rod piston",
     Kind::slider_crank, 1, 0.3, 4.0, 0.0, 0.3, 0, 0},
    {"offset_crank", "Offset crank",
     Kind::slider_crank, 1, 1.9, 2.2, 0.6, 1.4, 0, 0},
    {"scotch_yoke", "Yoke with rocking linkage",
     Kind::yoke, 1, 0.4, 2.2, 2.6, 0, 0, 0},
    {"whitworth", "Quick-return linkage study",
     Kind::whitworth, 1, 0.2, 0.5, 1.2, 2.5, 0, 0},
    {"elliptic_cam", "Elliptic cam follower",
     Kind::flat_ellipse, 1, 0.35, 1.0, 0.62, 0, 0, 0},
    {"two_lobe_cam", "Two-lobe cam follower",
     Kind::lobed_rocker, 1, 0.25, 2, 0.55, 1.1, 2.2, 2},
    {"three_lobe_cam", "Three-lobe cam follower",
     Kind::lobed_rocker, 1, 0.25, 3, 0.32, 1.1, 2.2, 1},
    {"escapement", "Soft escapement study",
     Kind::escapement, 1, 0.0, 8, 0.55, 0, 0, 0},
    {"paddle", "Paddle-wheel tip",
     Kind::paddle, -1, 0.5, 0.75, 0.9, 0, 0, 0},
    {"wobble_plate", "Wobble-plate trace",
     Kind::wobble, 1, 0.3, 0.5, 1.0, 0, 0, 0},
    {"rocking_beam", "Rocking beam",
     Kind::beam, 1, 0.3, 2.2, 1.6, 2.0, 0.6, 1.9},
    {"coupled_cranks", "Coupled cranks",
     Kind::coupled, 1, 0.3, 0.55, 0.35, 0.8, -2.0, 0},
    {"crank_rocker", "Crank and rocker study",
     Kind::crank_rocker, 1, 0.3, 2.4, 1.8, 2.2, 0.5, 0.7},
    {"piston_balance", "Piston and balance mass",
     Kind::balance, 2, 0.3, 3.2, 0.6, 0, 0, 0},
    {"cam_return", "Cam rise and return",
     Kind::cam_return, 1, 0.0, 1.0 / 3.0, 1.0 / 3.0, 0, 0, 0},
};

Sample slider_crank(const Member& m, double th) {
    const Vec pin = polar(1.0, th);
    const double dy = pin.y - m.b;
    const Vec slider{pin.x + std::sqrt(m.a * m.a - dy * dy), m.b};
    const Vec p = pin + m.c * (slider - pin);
    return {p.x, p.y, 0.0};
}

// A Scotch yoke follows the pin's x (the traced x); a rocker pivoted below the crank
// slides through the pin and rocks, and its tip's height is the traced y.
Sample yoke(const Member& m, double th) {
    const Vec pin = polar(1.0, th);
    const Vec pivot{0.0, -m.a};
    const Vec dir = pin - pivot;
    const Vec tip = pivot + (m.b / length(dir)) * dir;
    return {pin.x, tip.y, 0.0};
}

// Whitworth quick return: the slotted lever turns about a pivot inside the crank circle,
// slowly while the pin is on the far side and fast on the near side; a link from the
// lever's end drives the ram along a horizontal line through the pivot.
Sample whitworth(const Member& m, double th) {
    const Vec pin = polar(1.0, th);
    const Vec pivot{0.0, -m.a};
    const double phi = std::atan2(pin.y - pivot.y, pin.x - pivot.x);
    const Vec end = pivot + polar(m.b, phi);
    const double dy = end.y - pivot.y;
    const double ram = end.x + std::sqrt(m.c * m.c - dy * dy);
    return {ram, end.y, 0.0};
}

// A flat-faced follower on a turning ellipse: its lift is the ellipse's support function
// h, and the contact point sits h' along the follower's face.
Sample flat_ellipse(const Member& m, double th) {
    const double c = std::cos(th);
    const double s = std::sin(th);
    const double h = std::sqrt(m.a * m.a * c * c + m.b * m.b * s * s);
    const double dh = (m.b * m.b - m.a * m.a) * s * c / h;
    return {dh, h, 0.0};
}

// A knife-edge follower rides a lobed cam of radius 1 + lift * ((1 + cos k phi) / 2)^e and
// lifts one end of a rocker pivoted c away; the rocker's far arm tip swings on an arc.
Sample lobed_rocker(const Member& m, double th) {
    const double w = (1.0 + std::cos(m.a * th)) / 2.0;
    const double lift = m.b * std::pow(w, m.e);
    const double angle = std::asin(lift / m.c);
    const Vec tip = polar(m.d, kPi - angle);
    return {tip.x, tip.y, 0.0};
}

// The escape wheel advances one tick at a time with a smoothstep and holds; the traced
// point is a tooth tip, so one turn takes all the ticks.
Sample escapement(const Member& m, double th) {
    const double ticks = m.a;
    const double phase = th / kTwoPi * ticks;
    const double k = std::floor(phase);
    const double t = std::min((phase - k) / m.b, 1.0);
    const double angle = (k + t * t * (3.0 - 2.0 * t)) * kTwoPi / ticks;
    const Vec tip = polar(1.0, angle);
    return {tip.x, tip.y, 0.0};
}

// A feathering paddle wheel: each blade is hinged on the rim and kept pointing away from
// an eccentric, so it enters the water near upright; the traced point is the blade tip.
Sample paddle(const Member& m, double th) {
    const Vec hinge = polar(1.0, th);
    const Vec eccentric{m.a, 0.0};
    const Vec dir = hinge - eccentric;
    const Vec tip = hinge + (m.b / length(dir)) * dir;
    return {tip.x, tip.y, 0.0};
}

// A non-rotating wobble plate tilted by a about an axis that turns with the shaft; the
// traced pin stands b above the plate's rim at 45 degrees (Rodrigues rotation).
Sample wobble(const Member& m, double th) {
    const double px = std::cos(kPi / 4.0);
    const double py = std::sin(kPi / 4.0);
    const double pz = m.b;
    const double kx = -std::sin(th);
    const double ky = std::cos(th);
    const double ca = std::cos(m.a);
    const double sa = std::sin(m.a);
    const double dot = kx * px + ky * py;
    // v cos a + (k x v) sin a + k (k . v)(1 - cos a), with k = (kx, ky, 0)
    const double cx = ky * pz;
    const double cy = -kx * pz;
    const double cz = kx * py - ky * px;
    return {px * ca + cx * sa + kx * dot * (1.0 - ca), py * ca + cy * sa + ky * dot * (1.0 - ca),
            pz * ca + cz * sa};
}

// A walking beam: the crank's pitman pulls the near arm; the far arm rocks the other way.
Sample beam(const Member& m, double th) {
    const Vec pin = polar(1.0, th);
    const Vec pivot{m.d, m.e};
    const Vec near = circle_meet(pin, m.a, pivot, m.b, -1.0);
    const Vec far = pivot - (m.c / m.b) * (near - pivot);
    return {far.x, far.y, 0.0};
}

// Two cranks geared d : 1 and joined by a link; the traced point is the link's middle.
Sample coupled(const Member& m, double th) {
    const Vec a = Vec{-m.c, 0.0} + polar(m.a, th);
    const Vec b = Vec{m.c, 0.0} + polar(m.b, m.d * th + 0.6);
    const Vec mid = 0.5 * (a + b);
    return {mid.x, mid.y, 0.0};
}

// Grashof crank-rocker with a unit crank: x, y the coupler point, z the rocker angle.
Sample crank_rocker(const Member& m, double th) {
    const Vec pin = polar(1.0, th);
    const Vec ground{m.c, 0.0};
    const Vec joint = circle_meet(pin, m.a, ground, m.b, 1.0);
    const Vec along = (1.0 / m.a) * (joint - pin);
    const Vec p = pin + m.d * m.a * along + m.e * Vec{-along.y, along.x};
    const double rocker = std::atan2(joint.y - ground.y, joint.x - ground.x);
    return {p.x, p.y, rocker};
}

// The piston on x; the crank's balance mass, opposite the pin, in y and z.
Sample balance(const Member& m, double th) {
    const double s = std::sin(th);
    const double piston = std::cos(th) + std::sqrt(m.a * m.a - s * s);
    return {piston, -m.b * s, -m.b * std::cos(th)};
}

// Rise, dwell, return, dwell with cycloidal motion under a flat-faced follower: the lift s
// on y and the contact offset ds/dtheta on x.
Sample cam_return(const Member& m, double th) {
    const double u = std::fmod(th, kTwoPi) / kTwoPi;
    const double rise = m.a;
    const double fall = m.b;
    const double dwell = (1.0 - rise - fall) / 2.0;
    double s = 0.0;
    double ds = 0.0;
    if (u < rise) {
        const double v = u / rise;
        s = v - std::sin(kTwoPi * v) / kTwoPi;
        ds = (1.0 - std::cos(kTwoPi * v)) / (rise * kTwoPi);
    } else if (u < rise + dwell) {
        s = 1.0;
    } else if (u < rise + dwell + fall) {
        const double v = (u - rise - dwell) / fall;
        s = 1.0 - (v - std::sin(kTwoPi * v) / kTwoPi);
        ds = -(1.0 - std::cos(kTwoPi * v)) / (fall * kTwoPi);
    }
    return {ds, s, 0.0};
}

Sample point(const Member& m, double th) {
    switch (m.kind) {
        case Kind::slider_crank: return slider_crank(m, th);
        case Kind::yoke: return yoke(m, th);
        case Kind::whitworth: return whitworth(m, th);
        case Kind::flat_ellipse: return flat_ellipse(m, th);
        case Kind::lobed_rocker: return lobed_rocker(m, th);
        case Kind::escapement: return escapement(m, th);
        case Kind::paddle: return paddle(m, th);
        case Kind::wobble: return wobble(m, th);
        case Kind::beam: return beam(m, th);
        case Kind::coupled: return coupled(m, th);
        case Kind::crank_rocker: return crank_rocker(m, th);
        case Kind::balance: return balance(m, th);
        case Kind::cam_return: return cam_return(m, th);
    }
    return {};
}

void centre(kgen::Block& block, double kgen::Sample::*axis) {
    double lo = block.front().*axis;
    double hi = lo;
    for (const Sample& s : block) {
        lo = std::min(lo, s.*axis);
        hi = std::max(hi, s.*axis);
    }
    const double mid = (lo + hi) / 2.0;
    for (Sample& s : block) {
        s.*axis = s.*axis - mid;
    }
}

// The linkages that leave the plane.
int dimensions(Kind kind) {
    return kind == Kind::wobble || kind == Kind::crank_rocker || kind == Kind::balance ? 3 : 2;
}

}  // namespace

KGEN_FAMILY(mech, .peak_low = 0.82, .peak_high = 0.82, .step = 0.031) {
    for (const Member& m : kMembers) {
        const std::string description =
            std::string(m.title) +
            "; an original kinematic-style position study, not an engineering simulation.";
        const std::string name = std::string("mech_") + m.suffix;
        kgen::define(name, 512, dimensions(m.kind), description, [&m](const kgen::Record& r) {
            kgen::Block block = kgen::sample_pips(r.period, [&](int p) {
                const double turn = static_cast<double>(p) / static_cast<double>(r.period);
                double th = std::fmod(m.turns * kTwoPi * turn + m.start, kTwoPi);
                if (th < 0.0) th += kTwoPi;
                return point(m, th);
            });
            centre(block, &Sample::x);
            centre(block, &Sample::y);
            centre(block, &Sample::z);
            kgen::scale_to_peak(block, 0.82);
            return block;
        });
    }
}
