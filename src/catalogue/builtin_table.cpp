// Lookup by name over the generated table; the table, its index and keys are generated data.
#include "catalogue/builtin_table.hpp"

#include <bit>
#include <cstring>

namespace kinetrope {
namespace {

std::uint64_t big_endian_word(const unsigned char* p) noexcept {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    if constexpr (std::endian::native == std::endian::little) {
        w = __builtin_bswap64(w);
    }
    return w;
}

// Zero padding keeps the byte order: names hold no zero bytes, so where padded keys differ,
// the first difference is a real byte or the end of the shorter name, which sorts first.
// Reads only inside the name: a word cut by the end is loaded from the last eight bytes
// and shifted up (every name searched here has at least eight).
BuiltinNameKey key_of(std::string_view name) noexcept {
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

bool less(const BuiltinNameKey& a, const BuiltinNameKey& b) noexcept {
    for (int w = 0; w < 3; ++w) {
        if (a.word[w] != b.word[w]) {
            return a.word[w] < b.word[w];
        }
    }
    return a.word[3] < b.word[3];
}

bool same(const BuiltinNameKey& a, const BuiltinNameKey& b) noexcept {
    return ((a.word[0] ^ b.word[0]) | (a.word[1] ^ b.word[1]) | (a.word[2] ^ b.word[2]) |
            (a.word[3] ^ b.word[3])) == 0;
}

// A stored name has no zero bytes, so its length is where the zero padding begins.
std::size_t length_of(const BuiltinNameKey& key) noexcept {
    for (int w = 3; w >= 0; --w) {
        if (key.word[w] != 0) {
            return 8 * static_cast<std::size_t>(w) +
                   (8 - static_cast<std::size_t>(std::countr_zero(key.word[w])) / 8);
        }
    }
    return 0;
}

}  // namespace

const BuiltinPattern* find_builtin(std::string_view name) noexcept {
    if (name.size() < BUILTIN_NAME_MIN || name.size() > BUILTIN_NAME_MAX) {
        return nullptr;  // shorter or longer than every built-in name
    }
    const std::span<const BuiltinPattern> table = builtin_patterns();
    const std::span<const std::uint64_t> index = builtin_name_index();
    const std::span<const BuiltinNameKey> keys = builtin_name_keys();
    const BuiltinNameKey query = key_of(name);
    // Lower bound over the names in index order. A query whose padded key ties with a name
    // (only possible with zero bytes in it) stops on that name and fails the exact test.
    std::size_t first = 0;
    std::size_t count = index.size();
    while (count > 0) {
        const std::size_t half = count / 2;
        if (less(keys[first + half], query)) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    // Equal keys and the stored name's length (its non-zero bytes) settle the match
    // without reaching into the record.
    if (first < keys.size() && same(keys[first], query) && length_of(keys[first]) == name.size()) {
        return &table[index[first]];
    }
    return nullptr;
}

}  // namespace kinetrope
