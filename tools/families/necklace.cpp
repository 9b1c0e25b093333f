// necklace: sixteen hand-written binary accent words of sixteen steps, one step every
// eighth note over eight beats (necklace_NN numbers the words). Each 1 is an accent to the
// right; each 0, its complement, a smaller gesture to the left and down. Within a run of
// consecutive 1s (read round the loop) every accent reaches further forward on z, so runs
// of rising accents add depth. No word equals another or any rotation of another.
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"
#include "gen/score.hpp"

namespace {

using kgen::Pulse;

const char* const kWords[] = {
    "1011001110100100", "1101011000111010", "1110010110010100", "1001110101100010",
    "1011100100110110", "1100101111000100", "1010011011101000", "1111000101101010",
    "1001011001111010", "1101101001001110", "1011011100010010", "1110110001010110",
    "1000111011010010", "1101001111001010", "1010110111100100", "1100011010111010",
};

constexpr double kPeak = 0.248;
constexpr int kStepPips = 32;
constexpr double kWidth = 14.0;
constexpr double kRise = 0.25;  // depth added by each further accent of a run

constexpr const char* kDescription =
    "A hand-authored binary accent word; its complement moves the other side and rising "
    "accents add depth.";

}  // namespace

KGEN_FAMILY(necklace, .peak_low = kPeak, .peak_high = kPeak, .step = 0.046) {
    int number = 0;
    for (const char* word : kWords) {
        const std::string name = "necklace_" + kgen::two_digits(++number);
        kgen::define(name, 512, 3, kDescription, [word](const kgen::Record& r) {
            const std::string bits = word;
            const int n = static_cast<int>(bits.size());
            if (n * kStepPips != r.period || bits.find('0') == std::string::npos) {
                throw std::runtime_error("a word needs sixteen steps and at least one 0");
            }
            std::vector<Pulse> score;
            for (int i = 0; i < n; ++i) {
                const double onset = kStepPips * i;
                if (bits[static_cast<std::size_t>(i)] == '0') {
                    score.push_back({onset, kWidth, {-0.55, -0.35, 0.0}});
                    continue;
                }
                int run = 0;  // this accent's place in its run, counted back round the loop
                while (bits[static_cast<std::size_t>(((i - run) % n + n) % n)] == '1') {
                    ++run;
                }
                score.push_back({onset, kWidth, {1.0, 0.0, kRise * run}});
            }
            return kgen::render_score(r.period, score, kPeak);
        });
    }
}
