#pragma once

// The lookup by name over the built-in table, instantiated where the table is defined so
// that the table's size is a constant: every halving step of the search is unrolled to a
// fixed offset into the key array.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "catalogue/builtin_table.hpp"
#include "catalogue/name_key.hpp"

namespace kinetrope::name_search {

#if defined(__GNUC__)
#define KINETROPE_ALWAYS_INLINE [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define KINETROPE_ALWAYS_INLINE __forceinline
#else
#define KINETROPE_ALWAYS_INLINE inline
#endif

// One halving step of the lower bound per instantiation: the answer lies in
// [first, first + Count]. The range halves the same way whatever the comparison says, so
// the steps and their offsets are known before the search begins.
template <std::size_t Count>
KINETROPE_ALWAYS_INLINE const NameKey* narrow(const NameKey* first, const NameKey& query) noexcept {
    if constexpr (Count <= 1) {
        return first;
    } else {
        constexpr std::size_t half = Count / 2;
        if (name_key::less(first[half], query)) {
            first += half;
            // A conditional move here would put every probe's load behind the comparison
            // before it; a predicted branch lets the probes run ahead. The empty statement
            // keeps the compiler from making the move.
#if defined(__GNUC__)
            asm volatile("");
#endif
        }
        return narrow<Count - half>(first, query);
    }
}

// Lower-bound search of the name index; nullptr when no record bears the name. The keys
// are the names in index order, as the index's entries point into the table.
template <std::size_t N>
KINETROPE_ALWAYS_INLINE const BuiltinPattern* find(const std::array<BuiltinPattern, N>& table,
                                                   const std::array<std::uint64_t, N>& index,
                                                   const std::array<NameKey, N>& keys,
                                                   std::string_view name) noexcept {
    if constexpr (N == 0) {
        return nullptr;
    } else {
        if (name.size() < BUILTIN_NAME_MIN || name.size() > BUILTIN_NAME_MAX) {
            return nullptr;  // shorter or longer than every built-in name
        }
        const NameKey query = name_key::of_short_name(name);
        const NameKey* found = narrow<N>(keys.data(), query);
        if (name_key::less(*found, query)) {
            ++found;
        }
        // Equal padded keys mean equal bytes up to the shorter length; a query with zero
        // bytes can tie with a shorter name, so the record's own length settles it.
        if (found != keys.data() + N && name_key::same(*found, query)) {
            const BuiltinPattern& match = table[index[static_cast<std::size_t>(found - keys.data())]];
            if (match.name.size() == name.size()) {
                return &match;
            }
        }
        return nullptr;
    }
}

}  // namespace kinetrope::name_search
