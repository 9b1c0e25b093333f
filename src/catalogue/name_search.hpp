#pragma once

// The lookup by name over the built-in table, instantiated where the table is defined so
// that the table's size is a constant: every halving step of the search is unrolled to a
// fixed offset into the key array.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "catalogue/builtin_table.hpp"

namespace kinetrope::name_search {

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

// Zero padding keeps the byte order: names hold no zero bytes, so where padded keys differ,
// the first difference is a real byte or the end of the shorter name, which sorts first.
// Reads only inside the name: a word cut by the end is loaded from the last eight bytes
// and shifted up (every name searched here has at least eight).
inline BuiltinNameKey key_of(std::string_view name) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t size = name.size();
    const std::uint64_t tail = big_endian_word(p + size - 8);
    BuiltinNameKey key;
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

// The key of a name of any length: its first 32 bytes, zero-padded. Where two names' keys
// differ they order the names as their bytes do (as above); equal keys leave the order to
// the lengths and the bytes past the 32nd.
inline BuiltinNameKey padded_key(std::string_view name) noexcept {
    unsigned char padded[BUILTIN_NAME_MAX] = {};
    std::memcpy(padded, name.data(), std::min(name.size(), sizeof padded));
    BuiltinNameKey key;
    for (std::size_t w = 0; w < 4; ++w) {
        key.word[w] = big_endian_word(padded + 8 * w);
    }
    return key;
}

// Most probes differ from the query in the first eight bytes, so one comparison of words
// settles them; the rest goes on word by word.
inline bool less(const BuiltinNameKey& a, const BuiltinNameKey& b) noexcept {
    for (int w = 0; w < 3; ++w) {
        if (a.word[w] != b.word[w]) {
            return a.word[w] < b.word[w];
        }
    }
    return a.word[3] < b.word[3];
}

inline bool same(const BuiltinNameKey& a, const BuiltinNameKey& b) noexcept {
    return ((a.word[0] ^ b.word[0]) | (a.word[1] ^ b.word[1]) | (a.word[2] ^ b.word[2]) |
            (a.word[3] ^ b.word[3])) == 0;
}

// One halving step of the lower bound per instantiation: the answer lies in
// [first, first + Count]. The range halves the same way whatever the comparison says, so
// the steps and their offsets are known before the search begins.
#if defined(__GNUC__)
#define KINETROPE_ALWAYS_INLINE [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define KINETROPE_ALWAYS_INLINE __forceinline
#else
#define KINETROPE_ALWAYS_INLINE inline
#endif

template <std::size_t Count>
KINETROPE_ALWAYS_INLINE std::size_t narrow(const BuiltinNameKey* keys, std::size_t first,
                                                 const BuiltinNameKey& query) noexcept {
    if constexpr (Count <= 1) {
        return first;
    } else {
        constexpr std::size_t half = Count / 2;
        if (less(keys[first + half], query)) {
            first += half;
            // A conditional move here would put every probe's load behind the comparison
            // before it; a predicted branch lets the probes run ahead. The empty statement
            // keeps the compiler from making the move.
#if defined(__GNUC__)
            asm volatile("");
#endif
        }
        return narrow<Count - half>(keys, first, query);
    }
}

// Lower-bound search of the name index; nullptr when no record bears the name. The keys
// are the names in index order, as the index's entries point into the table.
template <std::size_t N>
const BuiltinPattern* find(const std::array<BuiltinPattern, N>& table,
                           const std::array<std::uint64_t, N>& index,
                           const std::array<BuiltinNameKey, N>& keys,
                           std::string_view name) noexcept {
    if constexpr (N == 0) {
        return nullptr;
    } else {
        if (name.size() < BUILTIN_NAME_MIN || name.size() > BUILTIN_NAME_MAX) {
            return nullptr;  // shorter or longer than every built-in name
        }
        const BuiltinNameKey query = key_of(name);
        std::size_t first = narrow<N>(keys.data(), 0, query);
        if (less(keys[first], query)) {
            ++first;
        }
        // Equal padded keys mean equal bytes up to the shorter length; a query with zero
        // bytes can tie with a shorter name, so the record's own length settles it.
        if (first < N && same(keys[first], query)) {
            const BuiltinPattern& match = table[index[first]];
            if (match.name.size() == name.size()) {
                return &match;
            }
        }
        return nullptr;
    }
}

}  // namespace kinetrope::name_search
