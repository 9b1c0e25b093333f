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
BuiltinNameKey key_of(std::string_view name) noexcept {
    unsigned char bytes[BUILTIN_NAME_MAX] = {};
    std::memcpy(bytes, name.data(), name.size());
    BuiltinNameKey key;
    for (int w = 0; w < 4; ++w) {
        key.word[w] = big_endian_word(bytes + 8 * w);
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

}  // namespace

const BuiltinPattern* find_builtin(std::string_view name) noexcept {
    if (name.size() > BUILTIN_NAME_MAX) {
        return nullptr;  // longer than every built-in name
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
    if (first < index.size() && table[index[first]].name == name) {
        return &table[index[first]];
    }
    return nullptr;
}

}  // namespace kinetrope
