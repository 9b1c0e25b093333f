// SHA-256 (FIPS 180-4) of a byte string, for deriving fixed pseudo-random values from
// fixed names: the same text gives the same digest on every machine.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kgen {

using Digest = std::array<std::uint8_t, 32>;

Digest sha256(std::string_view bytes);
std::string hex(const Digest& digest);

// The first eight digest bytes of the text, read big-endian, mapped to [-1, 1).
double hash_signed_unit(std::string_view text);

}  // namespace kgen
