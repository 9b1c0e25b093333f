// akwf: four real single-cycle waveforms (Adventure Kid Waveforms, CC0; see
// tools/data/akwf/README.md), one sample per pip, slowed to a four-beat loop (256 pips)
// on x and scaled so that the peak is exactly 0.85. No number in these names is a count.
#include <cmath>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "gen/kgen.hpp"

namespace {

constexpr double kPeak = 0.85;
// The family's largest step between neighbouring pips; the softening aims a hair below it
// so that the final twelve-place rounding cannot lift a softened step over it.
constexpr double kStep = 0.192;
constexpr double kStepBound = kStep - 1e-9;
constexpr int kSamples = 256;

struct Member {
    const char* name;
    const char* file;
};

constexpr Member kMembers[] = {
    {"akwf_round_saw", "AKWF_R_asym_saw_05_256"},
    {"akwf_quick_return", "AKWF_R_asym_saw_15_256"},
    {"akwf_multi_lobe", "AKWF_0001_256"},
    {"akwf_plateau", "AKWF_0010_256"},
};

// The file holds 257 comma-separated 16-bit values, the last repeating the first.
std::vector<double> read_cycle(const std::string& file) {
    const std::string path = kgen::data_dir() + "/akwf/" + file + ".txt";
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string body = text.str();
    for (char& c : body) {
        if (c == ',') c = ' ';
    }
    std::istringstream values(body);
    std::vector<double> cycle;
    long v = 0;
    while (static_cast<int>(cycle.size()) < kSamples && values >> v) {
        cycle.push_back(static_cast<double>(v));
    }
    if (static_cast<int>(cycle.size()) != kSamples) {
        throw std::runtime_error(path + " holds fewer than 256 samples");
    }
    return cycle;
}

std::size_t wrap(long i) {
    return static_cast<std::size_t>(((i % kSamples) + kSamples) % kSamples);
}

// Shape 15's return is faster than the family's step bound allows. Around each stretch of
// too-large steps, the samples strictly between the two ends a and b are replaced by a
// straight line, the window widened one sample at a time (towards the steeper side) only
// until the line's step fits the bound. Everything outside the window is the source data.
void soften_fast_stretches(std::vector<double>& v) {
    const auto step = [&](long i) { return std::fabs(v[wrap(i + 1)] - v[wrap(i)]); };
    for (long i = 0; i < kSamples; ++i) {
        if (step(i) <= kStepBound) {
            continue;
        }
        long a = i;
        long b = i + 1;
        while (step(b) > kStepBound && b - a < kSamples / 2) ++b;
        while (std::fabs(v[wrap(b)] - v[wrap(a)]) / static_cast<double>(b - a) > kStepBound) {
            if (step(a - 1) >= step(b)) {
                --a;
            } else {
                ++b;
            }
            if (b - a >= kSamples / 2) {
                throw std::runtime_error("akwf: no short stretch can soften this waveform");
            }
        }
        const double va = v[wrap(a)];
        const double vb = v[wrap(b)];
        for (long k = a + 1; k < b; ++k) {
            v[wrap(k)] = va + (vb - va) * static_cast<double>(k - a) / static_cast<double>(b - a);
        }
        i = b;
    }
}

}  // namespace

KGEN_FAMILY(akwf, .peak_low = kPeak, .peak_high = kPeak, .step = kStep) {
    for (const Member& m : kMembers) {
        const std::string description = std::string(m.file) +
                                        ".h: an actual CC0 waveform slowed to a four-beat "
                                        "position loop.";
        kgen::define(m.name, kSamples, 1, description, [m](const kgen::Record& r) {
            if (r.period != kSamples) {
                throw std::runtime_error("akwf: one source sample per pip needs a 256-pip period");
            }
            std::vector<double> v = read_cycle(m.file);
            double peak = 0.0;
            for (double s : v) peak = std::fmax(peak, std::fabs(s));
            for (double& s : v) s = s * (kPeak / peak);
            soften_fast_stretches(v);
            kgen::Block block(v.size());
            for (std::size_t i = 0; i < v.size(); ++i) block[i].x = v[i];
            return block;
        });
    }
}
