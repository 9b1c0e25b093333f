// triplet: eight scores on the triplet-eighth grid (three slots a beat, 24 over eight
// beats), each a twelve-slot mask with deliberate omissions (triplet_NN_...). Played slots
// alternate sides on x, the first slot of a beat larger and dipping on y.
//   answer      the mask plays twice; every omitted slot is answered off the grid, a sixth
//               of a beat late (halfway to the next slot), by a push forward in depth
//   turnaround  after four beats the mask plays rotated by r slots, leaning forward
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

struct Score {
    const char* mask;  // twelve slots, 1 played, 0 left out
    int rotation;      // slots the turnaround's second half is turned by
};

const Score kScores[] = {
    {"110110101101", 1}, {"101101110110", 2}, {"111011010011", 4}, {"100111011101", 5},
    {"110101101110", 7}, {"101011011011", 8}, {"111010110101", 10}, {"110011101011", 11},
};

constexpr double kPeak = 0.2945;
constexpr int kSlots = 12;
constexpr double kWidth = 10.0;

kgen::Sample slot_gesture(int s, double depth) {
    const double side = s % 2 == 0 ? 1.0 : -1.0;
    const bool beat = s % 3 == 0;
    const double size = beat ? 1.0 : 0.6;
    return {side * size, beat ? -0.4 : 0.0, depth * size};
}

constexpr const char* kDescription =
    "Triplet-grid gestures with deliberate omissions; gaps either answer off-grid or rotate "
    "after four beats.";

}  // namespace

KGEN_FAMILY(triplet, .peak_low = kPeak, .peak_high = kPeak, .step = 0.076) {
    int number = 0;
    for (const Score& sc : kScores) {
        const std::string stem = "triplet_" + kgen::two_digits(++number);
        kgen::define(stem + "_answer", 512, 3, kDescription, [sc](const kgen::Record& r) {
            std::vector<Pulse> score;
            for (int s = 0; s < 2 * kSlots; ++s) {
                const long third = s;  // the slot's onset in thirds of a beat
                if (sc.mask[s % kSlots] == '1') {
                    score.push_back({kgen::beat_pips(third, 3), kWidth, slot_gesture(s, 0.0)});
                } else {
                    score.push_back({kgen::beat_pips(2 * third + 1, 6), kWidth, {0.0, 0.0, 0.8}});
                }
            }
            kgen::fit_widths(r.period, score, 0.6);
            return kgen::render_score(r.period, score, kPeak);
        });
        kgen::define(stem + "_turnaround", 512, 3, kDescription, [sc](const kgen::Record& r) {
            const std::string first = sc.mask;
            std::string turned = first;
            for (int j = 0; j < kSlots; ++j) {
                turned[static_cast<std::size_t>(j)] =
                    first[static_cast<std::size_t>((j - sc.rotation + kSlots) % kSlots)];
            }
            if (turned == first) {
                throw std::runtime_error("the rotation leaves the mask unchanged");
            }
            std::vector<Pulse> score;
            for (int s = 0; s < 2 * kSlots; ++s) {
                const bool second = s >= kSlots;
                const std::string& mask = second ? turned : first;
                if (mask[static_cast<std::size_t>(s % kSlots)] == '1') {
                    score.push_back(
                        {kgen::beat_pips(s, 3), kWidth, slot_gesture(s, second ? 0.5 : 0.0)});
                }
            }
            kgen::fit_widths(r.period, score, 0.6);
            return kgen::render_score(r.period, score, kPeak);
        });
    }
}
