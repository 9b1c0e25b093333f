#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/offset3.hpp"
#include "core/pip.hpp"

namespace kinetrope {

// A periodic pattern built from one caller sample per pip; the period is the sample count.
class SampledPattern {
public:
    static constexpr std::size_t MAX_SAMPLES = 65535;

    // Takes its arguments by value and moves them in, then validates; throws std::invalid_argument.
    SampledPattern(std::string name, std::string description, std::vector<Offset3> samples);

    SampledPattern(const SampledPattern&) = default;
    // The source is left without name, description or samples, a state that sample() refuses.
    SampledPattern(SampledPattern&& other) noexcept;
    // Immutable once built: no assignment.
    SampledPattern& operator=(const SampledPattern&) = delete;
    SampledPattern& operator=(SampledPattern&&) = delete;
    ~SampledPattern() = default;

    const std::string& name() const noexcept { return name_; }
    const std::string& description() const noexcept { return description_; }
    int period_pips() const noexcept { return static_cast<int>(samples_.size()); }
    std::uint8_t dimensions() const noexcept { return dimensions_; }
    bool empty() const noexcept { return samples_.empty(); }

    Offset3 sample(int pip) const {
        if (samples_.empty()) {
            throw_moved_from();
        }
        return samples_[static_cast<std::size_t>(floor_mod(pip, period_pips()))];
    }

private:
    [[noreturn]] static void throw_moved_from();

    std::string name_;
    std::string description_;
    std::vector<Offset3> samples_;
    std::uint8_t dimensions_ = 1;
};

}  // namespace kinetrope
