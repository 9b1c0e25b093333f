// The rules every generated block obeys, checked before anything is written: length,
// finite values in range, no negative zero, twelve decimal places, dimensions that
// match the data, the family's peak and step bound, a closed seam, the pip-0 rules, and
// no two blocks alike.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "gen/internal.hpp"

namespace kgen {
namespace {

constexpr double kOriginTolerance = 0.00001;

// Short enough to read, long enough to tell a value from the bound it broke.
std::string num(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}
std::string num_vs(double v, double bound) {
    if (num(v) != num(bound)) {
        return num(v);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

const char* const kAxisNames[] = {"x", "y", "z"};

double axis(const Sample& s, int a) { return a == 0 ? s.x : (a == 1 ? s.y : s.z); }

class Checker {
public:
    Checker(const Record& r, const Rules& rules, const Block& b)
        : record_(r), rules_(rules), block_(b) {}

    std::vector<Violation> run() {
        if (static_cast<int>(block_.size()) != record_.period) {
            fail("length", "block holds " + std::to_string(block_.size()) +
                               " samples, the period is " + std::to_string(record_.period));
            return std::move(out_);
        }
        if (!values()) {
            return std::move(out_);  // later rules are meaningless over bad values
        }
        dimensions();
        family();
        seam();
        return std::move(out_);
    }

private:
    void fail(const char* rule, const std::string& text) {
        out_.push_back(Violation{rule, record_.name + ": " + text});
    }

    static std::string where(std::size_t pip, int a) {
        return std::string(kAxisNames[a]) + " at pip " + std::to_string(pip);
    }

    // Per value: finite, in range, not -0.0, twelve places. One report per rule.
    bool values() {
        bool finite_ok = true;
        bool range_ok = true;
        bool zero_ok = true;
        bool places_ok = true;
        for (std::size_t p = 0; p < block_.size(); ++p) {
            for (int a = 0; a < 3; ++a) {
                const double v = axis(block_[p], a);
                if (!std::isfinite(v)) {
                    if (finite_ok) {
                        fail("finite", where(p, a) + " is " + num(v) + ", not a finite value");
                    }
                    finite_ok = false;
                    continue;
                }
                if (v < -1.0 || v > 1.0) {
                    if (range_ok) {
                        fail("range", where(p, a) + " is " + num_vs(v, 1.0) + ", outside [-1, 1]");
                    }
                    range_ok = false;
                }
                if (v == 0.0 && std::signbit(v)) {
                    if (zero_ok) {
                        fail("negative-zero", where(p, a) + " is a negative zero");
                    }
                    zero_ok = false;
                }
                if (round12(v) != v && !(v == 0.0)) {
                    if (places_ok) {
                        char text[64];
                        std::snprintf(text, sizeof text, "%.17g", v);
                        fail("decimals", where(p, a) + " is " + text +
                                             ", not rounded to twelve decimal places");
                    }
                    places_ok = false;
                }
            }
        }
        return finite_ok && range_ok;
    }

    void dimensions() {
        bool any_y = false;
        bool any_z = false;
        for (const Sample& s : block_) {
            any_y = any_y || s.y != 0.0;
            any_z = any_z || s.z != 0.0;
        }
        const int derived = any_z ? 3 : (any_y ? 2 : 1);
        if (derived != record_.dimensions) {
            fail("dimensions", "the data moves " + std::to_string(derived) +
                                   " axes, the record lists " +
                                   std::to_string(record_.dimensions));
        }
    }

    void family() {
        const double m = peak(block_);
        const Rules& rule = rules_;
        const std::string fam = " the " + record_.family;
        if (m == 1.0 && !rule.full_scale) {
            fail("magnitude", "reaches magnitude 1.0, which" + fam + " rule class does not allow");
        }
        if (rule.peak_low == rule.peak_high) {
            if (m != rule.peak_low) {
                fail("peak", "peak " + num_vs(m, rule.peak_low) + " is not" + fam +
                                 " peak " + num(rule.peak_low));
            }
        } else if (m < rule.peak_low || m > rule.peak_high) {
            fail("peak", "peak " + num_vs(m, m < rule.peak_low ? rule.peak_low : rule.peak_high) +
                             " is outside" + fam + " range " + num(rule.peak_low) + " to " +
                             num(rule.peak_high));
        }
        const Step worst = largest_step(block_);
        if (worst.size > rule.step) {
            const std::size_t to = (worst.from + 1) % block_.size();
            fail("step", "step " + num_vs(worst.size, rule.step) + " between pips " +
                             std::to_string(worst.from) + " and " + std::to_string(to) +
                             " exceeds" + fam + " bound " + num(rule.step));
        }
        const Sample& o = block_.front();
        if (rule.origin == Origin::exact && !(o.x == 0.0 && o.y == 0.0 && o.z == 0.0)) {
            fail("origin", "pip 0 is (" + num(o.x) + ", " + num(o.y) + ", " + num(o.z) +
                               "), not (0, 0, 0)");
        }
        if (rule.origin == Origin::near &&
            !(std::fabs(o.x) <= kOriginTolerance && std::fabs(o.y) <= kOriginTolerance &&
              std::fabs(o.z) <= kOriginTolerance)) {
            fail("origin", "pip 0 is (" + num(o.x) + ", " + num(o.y) + ", " + num(o.z) +
                               "), not within 0.00001 of (0, 0, 0)");
        }
    }

    // Closed loop: on every axis the seam step is no larger than the largest inner step.
    void seam() {
        const std::size_t n = block_.size();
        if (n < 2) {
            return;
        }
        for (int k = 0; k < 3; ++k) {
            double inner = 0.0;
            for (std::size_t p = 1; p < n; ++p) {
                inner = std::max(inner, std::fabs(axis(block_[p], k) - axis(block_[p - 1], k)));
            }
            const double s = std::fabs(axis(block_[0], k) - axis(block_[n - 1], k));
            if (s > inner) {
                fail("seam", std::string("open loop: the ") + kAxisNames[k] + " step " +
                                 num_vs(s, inner) + " between pips " + std::to_string(n - 1) +
                                 " and 0 exceeds the largest inner step " + num(inner));
            }
        }
    }

    const Record& record_;
    const Rules& rules_;
    const Block& block_;
    std::vector<Violation> out_;
};

std::size_t block_hash(const Block& b) {
    std::size_t h = 1469598103934665603ull;
    for (const Sample& s : b) {
        for (const double v : {s.x, s.y, s.z}) {
            std::uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            h = (h ^ bits) * 1099511628211ull;
        }
    }
    return h ^ b.size();
}

bool same_block(const Block& a, const Block& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<Violation> check_block(const Record& record, const Rules& rules,
                                   const Block& block) {
    return Checker(record, rules, block).run();
}

std::vector<Violation> check_distinct(const std::vector<MadeBlock>& made) {
    std::vector<Violation> out;
    std::unordered_multimap<std::size_t, std::size_t> seen;
    for (std::size_t i = 0; i < made.size(); ++i) {
        const std::size_t h = block_hash(made[i].block);
        const auto [lo, hi] = seen.equal_range(h);
        for (auto it = lo; it != hi; ++it) {
            if (same_block(made[it->second].block, made[i].block)) {
                out.push_back(Violation{"duplicate", made[i].record->name +
                                                         ": block equals that of " +
                                                         made[it->second].record->name});
                break;
            }
        }
        seen.emplace(h, i);
    }
    return out;
}

// ---- self-test -------------------------------------------------------------------

namespace {

Block good_wave(int period) {
    Block b = sample_theta(period, [](double t) { return Sample{0.82 * std::sin(t), 0.0, 0.0}; });
    round_block(b);
    return b;
}

}  // namespace

int run_self_test() {
    // Records and rule classes of no family, one of each kind the families use: an exact
    // peak and a ranged one, each origin rule, and a class of full scale.
    const Record exact{"fixture_exact", "", 512, 1, "fixture"};
    const Record from_rest{"fixture_from_rest", "", 512, 2, "fixture"};
    const Record near_rest{"fixture_near_rest", "", 512, 2, "fixture"};
    const Record ranged{"fixture_ranged", "", 512, 3, "fixture"};
    const Record ranged_1d{"fixture_ranged_1d", "", 512, 1, "fixture"};
    const std::map<std::string, Rules> rules = {
        {exact.name, {.peak_low = 0.82, .peak_high = 0.82, .step = 0.02}},
        {from_rest.name,
         {.peak_low = 0.7, .peak_high = 0.82, .step = 0.02, .origin = Origin::exact}},
        {near_rest.name,
         {.peak_low = 0.8, .peak_high = 0.82, .step = 0.05, .origin = Origin::near}},
        {ranged.name, {.peak_low = 0.5, .peak_high = 0.92, .step = 0.1}},
        {ranged_1d.name, {.peak_low = 0.5, .peak_high = 1.0, .step = 0.1}},
    };
    Rules full_scale = rules.at(ranged_1d.name);
    full_scale.full_scale = true;
    int failures = 0;
    const auto expect_under = [&](const char* what, const Record& r, const Rules& rule,
                                  const Block& b, const std::optional<std::string>& broken) {
        const std::vector<Violation> v = check_block(r, rule, b);
        bool ok;
        if (!broken) {
            ok = v.empty();
        } else {
            ok = false;
            for (const Violation& x : v) {
                ok = ok || x.rule == *broken;
            }
        }
        if (!ok) {
            ++failures;
            std::fprintf(stderr, "self-test: %s: expected %s, got", what,
                         broken ? ("the rule " + *broken).c_str() : "no complaint");
            for (const Violation& x : v) {
                std::fprintf(stderr, " [%s] %s;", x.rule.c_str(), x.message.c_str());
            }
            std::fprintf(stderr, "%s\n", v.empty() ? " nothing" : "");
        }
    };
    const auto expect = [&](const char* what, const Record& r, const Block& b,
                            const std::optional<std::string>& broken) {
        expect_under(what, r, rules.at(r.name), b, broken);
    };

    const Block wave_ok = good_wave(512);
    expect("a sound wave", exact, wave_ok, std::nullopt);
    {
        Block b = wave_ok;
        b[7].x = 0.1234567890123;  // thirteen places
        expect("thirteen decimals", exact, b, "decimals");
    }
    {
        Block b = wave_ok;
        b[0].x = -0.0;
        expect("a negative zero", exact, b, "negative-zero");
    }
    {
        Block b = wave_ok;
        for (Sample& s : b) {
            s.x = round12(s.x * (0.83 / 0.82));
        }
        expect("a peak above an exact peak", exact, b, "peak");
    }
    {
        Block b = good_wave(512);
        for (Sample& s : b) {
            s.x = round12(s.x * (0.81 / 0.82));
        }
        expect("a peak below an exact peak", exact, b, "peak");
    }
    {
        Block b = wave_ok;
        b[100].x = round12(b[100].x + 0.05);
        expect("a step too large", exact, b, "step");
    }
    {
        // A ramp whose seam jumps by more than its inner steps.
        Block b = sample_pips(512, [](int p) { return Sample{round12(0.82 * p / 511.0), 0, 0}; });
        expect("an open seam", ranged_1d, b, "seam");
    }
    {
        Block b = wave_ok;
        b[3].y = 0.25;
        expect("a wrong dimension", exact, b, "dimensions");
    }
    {
        Block b = wave_ok;
        b[128].x = 1.5;
        expect("out of range", exact, b, "range");
    }
    {
        Block b = wave_ok;
        b[9].x = std::nan("");
        expect("NaN", exact, b, "finite");
    }
    {
        Block b = wave_ok;
        b[9].x = HUGE_VAL;
        expect("infinity", exact, b, "finite");
    }
    {
        Block b = wave_ok;
        b.pop_back();
        expect("wrong length", exact, b, "length");
    }
    {
        Block b = sample_theta(512, [](double t) {
            return Sample{0.0, 0.8 * std::sin(t / 2.0) * std::sin(t / 2.0), 0.0};
        });
        round_block(b);
        expect("a block from rest", from_rest, b, std::nullopt);
        for (Sample& s : b) {
            s.y = round12(s.y - 0.01);
        }
        expect("a block not starting at rest", from_rest, b, "origin");
    }
    {
        Block b = sample_theta(512, [](double t) {
            return Sample{0.82 * std::sin(t), 0.5 * std::sin(2 * t), 0.0};
        });
        round_block(b);
        expect("a block from near rest", near_rest, b, std::nullopt);
        for (Sample& s : b) {
            s.x = round12(s.x + 0.00002 * std::cos(0.0));
        }
        b[0].x = 0.00002;
        expect("a block starting off near rest", near_rest, b, "origin");
    }
    {
        Block b = sample_theta(512, [](double t) {
            return Sample{0.93 * std::sin(t), 0.1 * std::cos(t), 0.1 * std::sin(2 * t)};
        });
        round_block(b);
        expect("a peak over a ranged cap", ranged, b, "peak");
    }
    {
        Block b = sample_theta(512, [](double t) { return Sample{std::sin(t), 0.0, 0.0}; });
        round_block(b);
        expect("magnitude 1.0", ranged_1d, b, "magnitude");
        expect_under("magnitude 1.0 of full scale", ranged_1d, full_scale, b, std::nullopt);
    }
    {
        std::vector<MadeBlock> made = {{&exact, wave_ok}, {&ranged_1d, wave_ok}};
        const std::vector<Violation> v = check_distinct(made);
        if (v.size() != 1 || v[0].rule != "duplicate") {
            ++failures;
            std::fprintf(stderr, "self-test: two equal blocks were not refused\n");
        }
        made[1].block[5].x = round12(made[1].block[5].x + 1e-12);
        if (!check_distinct(made).empty()) {
            ++failures;
            std::fprintf(stderr, "self-test: two different blocks were refused as equal\n");
        }
    }
    // The helpers behave as the families rely on.
    if (round12(0.8 * std::sin(kPi / 4)) != 0.565685424949 || !std::signbit(-0.0) ||
        std::signbit(round12(-1e-13)) || round12(0.1234567890125) != 0.123456789012 ||
        round12(-0.1234567890126) != -0.123456789013) {
        ++failures;
        std::fprintf(stderr, "self-test: round12 gives wrong results\n");
    }
    if (circular_distance(1.0, 511.0, 512) != 2.0 || circular_distance(300.0, 0.0, 512) != -212.0 ||
        circular_distance(256.0, 0.0, 512) != 256.0 || pulse_window(24.0, 24.0) != 0.0 ||
        pulse_window(0.0, 24.0) != 1.0) {
        ++failures;
        std::fprintf(stderr, "self-test: pulse distances or windows are wrong\n");
    }
    {
        const std::vector<double> lane = keyframe_lane(256, {{0, 0.0}, {64, 1.0}, {128, 1.0}, {256, 0.0}});
        if (lane.size() != 256 || lane[0] != 0.0 || lane[32] != 0.5 || lane[64] != 1.0 ||
            lane[100] != 1.0 || lane[192] != 0.5) {
            ++failures;
            std::fprintf(stderr, "self-test: keyframe lane is wrong\n");
        }
    }
    return failures;
}

}  // namespace kgen
