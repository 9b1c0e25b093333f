#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/offset3.hpp"

namespace kinetrope {

// Every built-in block's samples back to back, each sample three words holding the bits of
// its x, y and z; the generated builtin_samples.cpp defines it as constant data.
extern const std::uint64_t builtin_sample_words[];

// Sample i of the concatenated blocks, read in place.
inline Offset3 builtin_sample(std::size_t i) noexcept {
    const std::uint64_t* w = builtin_sample_words + 3 * i;
    return Offset3{std::bit_cast<double>(w[0]), std::bit_cast<double>(w[1]),
                   std::bit_cast<double>(w[2])};
}

}  // namespace kinetrope
