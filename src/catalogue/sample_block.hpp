#pragma once

// The samplers of the built-in table. The generated table source instantiates sample_block
// once per record, with the place of the record's block among the sample words and its
// period; the generated samples source defines the words.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/offset3.hpp"
#include "core/pip.hpp"

namespace kinetrope {

// Every built-in block's samples back to back, each sample three words holding the bits of
// its x, y and z.
extern const std::uint64_t builtin_sample_words[];

// Sample i of the concatenated blocks, read in place.
inline Offset3 builtin_sample(std::size_t i) noexcept {
    const std::uint64_t* w = builtin_sample_words + 3 * i;
    return Offset3{std::bit_cast<double>(w[0]), std::bit_cast<double>(w[1]),
                   std::bit_cast<double>(w[2])};
}

// A power-of-two period reduces with a mask (two's complement makes it the floor modulo for
// negative pips too); any other period with floor_mod.
template <std::size_t Offset, int Period>
Offset3 sample_block(int pip) noexcept {
    if constexpr ((Period & (Period - 1)) == 0) {
        return builtin_sample(Offset + (static_cast<unsigned>(pip) & static_cast<unsigned>(Period - 1)));
    } else {
        return builtin_sample(Offset + static_cast<std::size_t>(floor_mod(pip, Period)));
    }
}

}  // namespace kinetrope
