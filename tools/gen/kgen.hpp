// Shared vocabulary of the catalogue generator: how a family declares its members and
// their bounds, and the shaping helpers that every family uses.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kgen {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;

struct Sample {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
using Block = std::vector<Sample>;

// One record of the table, as its family declares it.
struct Record {
    std::string name;
    std::string description;
    int period = 0;
    int dimensions = 0;
    std::string family;  // the key of the family that declares it
};

// Where pip 0 of every block of a family must lie.
enum class Origin {
    free,
    exact,  // at (0, 0, 0)
    near,   // within 0.00001 of (0, 0, 0) on every axis
};

// The rule class of a family: the bounds every block of it is checked against.
struct Rules {
    double peak_low = 0.0;
    double peak_high = 0.0;  // equal to peak_low: the peak is exactly that value
    double step = 0.0;       // largest change of an axis between neighbouring pips, seam included
    Origin origin = Origin::free;
    bool full_scale = false;  // blocks may reach magnitude 1.0, which no other family's may
};

// Where the generator finds its input files (waveform tables and the like).
const std::string& data_dir();

// A maker returns the record's block: exactly period samples, before the final rounding
// to twelve decimal places, which the generator applies to every block itself.
using Maker = std::function<Block(const Record&)>;

// Declares the next member of the family whose registration is running: the members
// keep the order of their declarations, which the family order lays into the table.
void define(std::string name, int period, int dimensions, std::string description,
            Maker maker);

// A family file names its key and rule class, and declares its members from one
// function, run once at generator start:
//   KGEN_FAMILY(weave, .peak_low = 0.82, .peak_high = 0.82, .step = 0.037) {
//       define("weave_1_3", 1024, 2, "...", maker); ...
//   }
struct FamilyRegistrar {
    FamilyRegistrar(const char* family, const Rules& rules, void (*fn)());
};
#define KGEN_FAMILY(key, ...)                                                    \
    static void kgen_family_##key();                                             \
    static const ::kgen::FamilyRegistrar kgen_registrar_##key{                   \
        #key, ::kgen::Rules{__VA_ARGS__}, &kgen_family_##key};                   \
    static void kgen_family_##key()

// "07" for 7: the member numbers of the numbered families.
std::string two_digits(int n);

// ---- shaping helpers -------------------------------------------------------------

// theta = 2 pi p / P, evaluated as (2 pi * p) / P.
double theta(int p, int period);

// Evaluates f(theta) at every pip of the period.
Block sample_theta(int period, const std::function<Sample(double theta)>& f);
// A maker for a closed formula of theta, sampled at every pip and taken as it is.
Maker formula(Sample (*f)(double theta));
// Evaluates f(p) at every pip p of the period.
Block sample_pips(int period, const std::function<Sample(int p)>& f);

// Largest magnitude over all pips and axes.
double peak(const Block& block);
// Largest change of any axis between neighbouring pips, the seam (last -> 0) included,
// and the first pip from which it is taken.
struct Step {
    double size = 0.0;
    std::size_t from = 0;
};
Step largest_step(const Block& block);

// "0.82" scaling: multiply every component by target / peak(block).
void scale_to_peak(Block& block, double target);
// "0.82 fine" scaling: the raw peak is taken over 2P points of f, twice as fine as the pips.
void scale_to_peak_fine(Block& block, double target, int period,
                        const std::function<Sample(double theta)>& f);

// The double nearest to v rounded to twelve decimal places; -0.0 becomes +0.0.
double round12(double v);
void round_block(Block& block);

// Raised-cosine pulse: adds amp * (1 + cos(pi d / h)) / 2 for |d| < h, where d is the
// signed circular distance from onset to the pip.
struct Pulse {
    double onset;
    double half_width;
    Sample amp;
};
double pulse_window(double d, double half_width);
double circular_distance(double p, double onset, int period);
Block pulse_score(int period, const std::vector<Pulse>& pulses);

// Keyframe lane: pairs (pip, value) from pip 0 to pip P, joined by the quintic easing
// s(t) = t^3 (t (6t - 15) + 10); equal neighbours make a hold.
struct Key {
    int pip;
    double value;
};
double quintic(double t);
std::vector<double> keyframe_lane(int period, const std::vector<Key>& keys);
Block keyframes(int period, const std::optional<std::vector<Key>>& x,
                const std::optional<std::vector<Key>>& y,
                const std::optional<std::vector<Key>>& z);

}  // namespace kgen
