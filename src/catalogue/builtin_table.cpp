// Lookup by name over the generated table; the table and its index are generated data.
#include "catalogue/builtin_table.hpp"

namespace kinetrope {

const BuiltinPattern* find_builtin(std::string_view name) noexcept {
    const std::span<const BuiltinPattern> table = builtin_patterns();
    const std::span<const std::uint64_t> index = builtin_name_index();
    // Lower bound: string_view compares bytes as unsigned char, a prefix sorts first.
    std::size_t first = 0;
    std::size_t count = index.size();
    while (count > 0) {
        const std::size_t half = count / 2;
        if (table[index[first + half]].name < name) {
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
