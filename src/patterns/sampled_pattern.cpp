#include "patterns/sampled_pattern.hpp"

#include <stdexcept>
#include <utility>

#include "core/value_rules.hpp"

namespace kinetrope {

SampledPattern::SampledPattern(std::string name, std::string description, std::vector<Offset3> samples)
    : name_(std::move(name)), description_(std::move(description)), samples_(std::move(samples)) {
    // The order of the checks decides which message a caller with several faults sees.
    if (!is_identifier(name_)) {
        throw std::invalid_argument("Invalid pattern name");
    }
    // Text handed over as bytes may be anything; a description that Python could not decode
    // would make the pattern, and any library holding it, impossible to list.
    if (!is_utf8(description_)) {
        throw std::invalid_argument("Pattern description must be valid UTF-8");
    }
    if (samples_.empty() || samples_.size() > MAX_SAMPLES) {
        throw std::invalid_argument("A pattern requires 1..65535 samples (one per pip)");
    }
    for (const Offset3& s : samples_) {
        if (!is_sample_value(s.x) || !is_sample_value(s.y) || !is_sample_value(s.z)) {
            throw std::invalid_argument("Pattern samples must be finite and within [-1, 1]");
        }
        // -0.0 compares equal to zero, so it never raises the count.
        if (s.z != 0.0) {
            dimensions_ = 3;
        } else if (s.y != 0.0 && dimensions_ != 3) {
            dimensions_ = 2;
        }
    }
}

SampledPattern::SampledPattern(SampledPattern&& other) noexcept
    : name_(std::move(other.name_)),
      description_(std::move(other.description_)),
      samples_(std::move(other.samples_)),
      dimensions_(other.dimensions_) {
    // A moved-from string or vector is only "valid but unspecified"; make the empty state certain.
    other.name_.clear();
    other.description_.clear();
    other.samples_.clear();
}

void SampledPattern::throw_moved_from() {
    throw std::logic_error("Cannot sample a moved-from pattern");
}

}  // namespace kinetrope
