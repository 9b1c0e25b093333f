#pragma once

// A name as four big-endian words of its first 32 bytes, zero-padded: compared as integers,
// such keys order names as their bytes do wherever they differ, and one comparison of the
// first word settles most pairs. The built-in table's index is searched by them.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kinetrope {

struct NameKey {
    std::uint64_t word[4];
};

namespace name_key {

inline std::uint64_t big_endian_word(const unsigned char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    if constexpr (std::endian::native == std::endian::little) {
#if defined(__GNUC__)
        w = __builtin_bswap64(w);
#else
        // Compilers recognise the shifts as one byte swap.
        w = ((w & 0x00000000000000ffull) << 56) | ((w & 0x000000000000ff00ull) << 40) |
            ((w & 0x0000000000ff0000ull) << 24) | ((w & 0x00000000ff000000ull) << 8) |
            ((w & 0x000000ff00000000ull) >> 8) | ((w & 0x0000ff0000000000ull) >> 24) |
            ((w & 0x00ff000000000000ull) >> 40) | ((w & 0xff00000000000000ull) >> 56);
#endif
    }
    return w;
}

// The key of a name of 8 to 32 bytes, read in place: a word cut by the end is loaded from
// the name's last eight bytes and shifted up, so nothing past the name is read. Zero padding
// keeps the byte order: where padded keys differ, the first difference is a real byte or the
// end of the shorter name, which sorts first.
inline NameKey of_short_name(std::string_view name) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t size = name.size();
    const std::uint64_t tail = big_endian_word(p + size - 8);
    NameKey key;
    for (std::size_t w = 0; w < 4; ++w) {
        const std::size_t start = 8 * w;
        if (start + 8 <= size) {
            key.word[w] = big_endian_word(p + start);
        } else if (start < size) {
            key.word[w] = tail << (8 * (start + 8 - size));
        } else {
            key.word[w] = 0;
        }
    }
    return key;
}

// Most probes differ from the query in the first eight bytes, so one comparison of words
// settles them; the rest goes on word by word.
inline bool less(const NameKey& a, const NameKey& b) noexcept {
    for (int w = 0; w < 3; ++w) {
        if (a.word[w] != b.word[w]) {
            return a.word[w] < b.word[w];
        }
    }
    return a.word[3] < b.word[3];
}

inline bool same(const NameKey& a, const NameKey& b) noexcept {
    return ((a.word[0] ^ b.word[0]) | (a.word[1] ^ b.word[1]) | (a.word[2] ^ b.word[2]) |
            (a.word[3] ^ b.word[3])) == 0;
}

}  // namespace name_key
}  // namespace kinetrope
