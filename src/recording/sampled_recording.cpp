#include "recording/sampled_recording.hpp"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/value_rules.hpp"

namespace kinetrope {

namespace {

constexpr const char* invalid_identifier = "Invalid identifier";
constexpr const char* invalid_tempo = "A finite positive BPM and beat origin are required";
constexpr const char* size_fault = "Empty recording or recording resource limit exceeded";
constexpr const char* duplicate_axis = "Duplicate axis";
constexpr const char* ragged = "Ragged recording";
constexpr const char* invalid_sample = "Invalid sample";
constexpr const char* outside = "Pip outside non-looping recording";

bool tempo_is_valid(double bpm, double beat_zero_seconds) {
    if (!std::isfinite(bpm) || !(bpm > 0.0)) {
        return false;
    }
    // A tiny positive tempo makes the beat length overflow.
    const double seconds_per_beat = 60.0 / bpm;
    if (!std::isfinite(seconds_per_beat)) {
        return false;
    }
    const double seconds_per_pip = seconds_per_beat * 0.015625;
    if (!(seconds_per_pip > 0.0)) {
        return false;
    }
    return std::isfinite(beat_zero_seconds);
}

void check_row_values(const double* row, std::size_t width) {
    for (std::size_t a = 0; a < width; ++a) {
        if (!is_sample_value(row[a])) {
            throw std::invalid_argument(invalid_sample);
        }
    }
}

}  // namespace

SampledRecording::SampledRecording(std::string name, std::vector<std::string> dimensions,
                                   RowBlock samples, double bpm, double beat_zero_seconds,
                                   int start_pip)
    : name_(std::move(name)),
      dimensions_(std::move(dimensions)),
      bpm_(bpm),
      beat_zero_seconds_(beat_zero_seconds),
      start_pip_(start_pip) {
    check_header(samples.row_count);
    const std::size_t width = dimensions_.size();
    const std::size_t rows = samples.row_count;
    const bool width_matches = samples.row_length == width;
    for (std::size_t k = 0; k < rows; ++k) {
        if (!width_matches || k >= samples.uniform_rows) {
            throw std::invalid_argument(ragged);
        }
        if ((k + 1) * width > samples.values.size()) {
            throw std::logic_error("Row block holds fewer values than its rows");
        }
        check_row_values(samples.values.data() + k * width, width);
    }
    if (samples.values.size() != rows * width) {
        throw std::logic_error("Row block holds more values than its rows");
    }
    samples_ = std::move(samples.values);
    samples_.shrink_to_fit();
}

void SampledRecording::check_header(std::size_t row_count) const {
    if (!is_identifier(name_)) {
        throw std::invalid_argument(invalid_identifier);
    }
    if (!tempo_is_valid(bpm_, beat_zero_seconds_)) {
        throw std::invalid_argument(invalid_tempo);
    }
    const std::size_t width = dimensions_.size();
    if (width < 1 || width > max_values) {
        throw std::invalid_argument(size_fault);
    }
    if (row_count < 1 || row_count > max_values / width) {
        throw std::invalid_argument(size_fault);
    }
    // row_count is at most 2^23 here, so the sum cannot overflow 64 bits.
    if (static_cast<std::int64_t>(row_count) + std::int64_t{start_pip_} >
        std::int64_t{std::numeric_limits<int>::max()}) {
        throw std::invalid_argument(size_fault);
    }
    std::unordered_set<std::string_view> seen;
    seen.reserve(width);
    for (const std::string& axis : dimensions_) {
        if (!is_identifier(axis)) {
            throw std::invalid_argument(invalid_identifier);
        }
        if (!seen.insert(axis).second) {
            throw std::invalid_argument(duplicate_axis);
        }
    }
}

int SampledRecording::sample_count() const noexcept {
    const std::size_t width = dimensions_.size();
    return width == 0 ? 0 : static_cast<int>(samples_.size() / width);
}

std::span<const double> SampledRecording::row(int pip) const {
    if (pip < start_pip_) {
        throw std::out_of_range(outside);
    }
    const std::int64_t k = std::int64_t{pip} - std::int64_t{start_pip_};
    if (k >= std::int64_t{sample_count()}) {
        throw std::out_of_range(outside);
    }
    const std::size_t width = dimensions_.size();
    return {samples_.data() + static_cast<std::size_t>(k) * width, width};
}

}  // namespace kinetrope
