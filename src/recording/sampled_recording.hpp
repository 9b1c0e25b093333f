#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kinetrope {

// Rows already laid out row by row by a caller that reads them from elsewhere, so that
// a large recording is never held twice. Only the leading rows of equal length are
// kept, and only as many as fit in the recording limit: every later row decides
// nothing but "Ragged recording", every row beyond the limit nothing but the size fault.
struct RowBlock {
    std::vector<double> values;    // the kept rows, row_length values each
    std::size_t row_count = 0;     // rows given in all
    std::size_t row_length = 0;    // length of row 0; 0 when there are no rows
    std::size_t uniform_rows = 0;  // leading rows whose length is row_length
};

// A named multi-axis recording on the pip grid, one row per pip from start_pip on.
// It never loops: a pip outside its rows is an error. Immutable once constructed.
class SampledRecording {
public:
    // Most values one recording may hold (64 MiB of doubles).
    static constexpr std::size_t max_values = std::size_t{1} << 23;

    // Checks in the order callers rely on, each with its own message; throws
    // std::invalid_argument. The block is taken over, not copied.
    SampledRecording(std::string name, std::vector<std::string> dimensions, RowBlock samples,
                     double bpm, double beat_zero_seconds, int start_pip);

    const std::string& name() const noexcept { return name_; }
    const std::vector<std::string>& dimensions() const noexcept { return dimensions_; }
    int sample_count() const noexcept;
    double bpm() const noexcept { return bpm_; }
    double beat_zero_seconds() const noexcept { return beat_zero_seconds_; }
    int start_pip() const noexcept { return start_pip_; }

    // The row for pip as a view into the recording, one value per axis; std::out_of_range
    // outside the recording.
    std::span<const double> row(int pip) const;

private:
    // Everything that does not depend on the row values, in the order callers rely on.
    void check_header(std::size_t row_count) const;

    std::string name_;
    std::vector<std::string> dimensions_;
    std::vector<double> samples_;
    double bpm_;
    double beat_zero_seconds_;
    int start_pip_;
};

}  // namespace kinetrope
