// env: one-axis envelopes over an eight-beat phrase, on y alone (x and z stay 0.0).
// Each member is a keyframe list (pip: value) joined by the quintic easing; two equal
// neighbouring values make a hold, and every list starts and ends at rest at 0.0.
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

struct Member {
    const char* suffix;
    const char* title;
    std::vector<kgen::Key> y;
};

const std::vector<Member>& members() {
    static const std::vector<Member> list = {
        {"lift_hold_drop", "Lift, hold, settle",
         {{0, 0.0}, {64, -0.8}, {192, -0.8}, {256, 0.2}, {320, 0.0}, {512, 0.0}}},
        {"inhale_exhale", "Long inhale, short exhale",
         {{0, 0.0}, {320, -0.8}, {384, 0.1}, {448, 0.0}, {512, 0.0}}},
        {"triple_swell", "Three unequal swells",
         {{0, 0.0}, {64, -0.8}, {128, 0.0}, {192, -0.5}, {256, 0.0}, {384, -0.3}, {512, 0.0}}},
        {"rising_echo", "Rising echo ladder",
         {{0, 0.0}, {64, -0.25}, {128, 0.0}, {192, -0.5}, {256, 0.0}, {320, -0.8}, {384, 0.0},
          {512, 0.0}}},
        {"falling_echo", "Falling echo ladder",
         {{0, 0.0}, {64, -0.8}, {128, 0.0}, {192, -0.45}, {256, 0.0}, {320, -0.15}, {512, 0.0}}},
        {"anticipation", "Backward anticipation",
         {{0, 0.0}, {64, 0.35}, {128, 0.0}, {192, -0.82}, {256, -0.82}, {384, 0.12}, {512, 0.0}}},
        {"plateau_scoop", "Plateau then scoop",
         {{0, 0.0}, {64, -0.7}, {256, -0.7}, {320, -0.3}, {384, 0.4}, {512, 0.0}}},
        {"hesitant", "Hesitant reach",
         {{0, 0.0}, {64, -0.3}, {128, -0.2}, {192, -0.5}, {256, -0.4}, {320, -0.8}, {512, 0.0}}},
        {"double_hold", "Two-height hold",
         {{0, 0.0}, {64, -0.4}, {192, -0.4}, {256, -0.8}, {384, -0.8}, {512, 0.0}}},
        {"swell_recoil", "Deep swell and recoil",
         {{0, 0.0}, {192, -0.8}, {256, 0.5}, {320, -0.2}, {384, 0.08}, {512, 0.0}}},
        {"late_release", "Late release",
         {{0, 0.0}, {256, -0.8}, {384, -0.8}, {448, 0.25}, {512, 0.0}}},
        {"split_attack", "Split attack",
         {{0, 0.0}, {32, -0.6}, {64, -0.2}, {128, -0.8}, {320, -0.2}, {512, 0.0}}},
        {"suspended", "Suspended answer",
         {{0, 0.0}, {64, -0.75}, {128, 0.0}, {256, 0.0}, {384, -0.55}, {448, -0.55}, {512, 0.0}}},
        {"valley_peaks", "Valley between peaks",
         {{0, 0.0}, {64, -0.7}, {192, -0.3}, {256, -0.82}, {384, 0.2}, {512, 0.0}}},
        {"four_breaths", "Four breathing accents",
         {{0, 0.0}, {64, -0.7}, {128, 0.0}, {192, -0.5}, {256, 0.0}, {320, -0.8}, {384, 0.0},
          {448, -0.3}, {512, 0.0}}},
        {"return_stair", "Stepped soft recovery",
         {{0, 0.0}, {128, -0.8}, {192, -0.8}, {256, -0.5}, {320, -0.5}, {384, -0.2}, {448, -0.2},
          {512, 0.0}}},
    };
    return list;
}

}  // namespace

KGEN_FAMILY(env, .peak_low = 0.7, .peak_high = 0.82, .step = 0.039,
            .origin = kgen::Origin::exact) {
    for (const Member& m : members()) {
        const std::string description =
            std::string(m.title) + " over an eight-beat phrase; smooth, resting joins.";
        const std::string name = std::string("env_") + m.suffix;
        kgen::define(name, 512, 2, description, [&m](const kgen::Record& r) {
            return kgen::keyframes(r.period, std::nullopt, m.y, std::nullopt);
        });
    }
}
