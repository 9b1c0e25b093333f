#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "module/pybind11_internals.hpp"

namespace kinetrope::bindings {

// A list argument read item by item, as the vector converter reads it: the items are the ones
// iteration yields, whatever the sequence's length claims, and that length only sizes a
// bounded first reservation. Reading stops at item Limit + 1, one more than any call can
// take, which is counted but not kept, so a sequence that never ends costs no more than the
// limit it breaks; the constructor then reports that limit in its own place among its checks.
template <typename T, std::size_t Limit>
struct SequenceArg {
    std::vector<T> items;  // at most Limit
    bool over_limit = false;
};

// A sample of three reals: a sequence of exactly three numbers, as the fixed-size array
// converter takes it, but read by iteration, so a sample that changes while it is read gives
// what it yielded instead of an IndexError.
struct Triple {
    std::array<double, 3> values;
};

}  // namespace kinetrope::bindings

namespace pybind11::detail {

// What the vector converter takes as a list: a sequence as it stands and, with conversion
// allowed, any other iterable, read into a tuple first (a generator is exhausted, as
// tuple(src) would). load_items reads the sequence it is handed.
template <typename LoadItems>
bool load_list_like(handle src, bool convert, LoadItems&& load_items) {
    if (!kinetrope::bindings::reads_as_list(src)) {
        return false;
    }
    if (isinstance<sequence>(src)) {
        return load_items(src);
    }
    if (!convert) {
        return false;
    }
    return load_items(tuple(reinterpret_borrow<iterable>(src)));
}

// Calls take(item) for each item that iterating seq yields, at most limit + 1 times; stops
// early when take returns false, and then returns false. The iterator holds each item while
// take reads it: a sequence may make its items afresh, and Python code run by a conversion
// may drop every other reference to it.
template <typename Take>
bool for_each_item(handle seq, std::size_t limit, Take&& take) {
    std::size_t taken = 0;
    for (const handle item : seq) {
        if (!take(item)) {
            return false;
        }
        if (++taken > limit) {
            break;
        }
    }
    return true;
}

// The first reservation for a sequence: its claimed length, but never more than the items a
// valid call can hold nor more than a modest block, so a false length costs nothing.
inline std::size_t first_reserve(handle seq, std::size_t limit) {
    constexpr std::size_t block = std::size_t{1} << 16;
    return std::min({reinterpret_borrow<sequence>(seq).size(), limit + 1, block});
}

template <typename T, std::size_t Limit>
struct type_caster<kinetrope::bindings::SequenceArg<T, Limit>> {
    using Arg = kinetrope::bindings::SequenceArg<T, Limit>;
    PYBIND11_TYPE_CASTER(Arg, make_caster<std::vector<T>>::name);

    bool load(handle src, bool convert) {
        return load_list_like(src, convert, [&](handle seq) {
            value.items.clear();
            value.items.reserve(first_reserve(seq, Limit));
            value.over_limit = false;
            return for_each_item(seq, Limit, [&](handle item) {
                make_caster<T> conv;
                if (!conv.load(item, convert)) {
                    return false;
                }
                if (value.items.size() < Limit) {
                    value.items.push_back(cast_op<T&&>(std::move(conv)));
                } else {
                    value.over_limit = true;
                }
                return true;
            });
        });
    }
};

template <>
struct type_caster<kinetrope::bindings::Triple> {
    using Array = std::array<double, 3>;
    PYBIND11_TYPE_CASTER(kinetrope::bindings::Triple, make_caster<Array>::name);

    bool load(handle src, bool convert) {
        return load_list_like(src, convert, [&](handle seq) {
            std::size_t count = 0;
            // A fourth item is enough to refuse: reading stops there.
            const bool read = for_each_item(seq, 3, [&](handle item) {
                make_caster<double> conv;
                if (!conv.load(item, convert)) {
                    return false;
                }
                if (count < 3) {
                    value.values[count] = cast_op<double>(conv);
                }
                ++count;
                return true;
            });
            return read && count == 3;
        });
    }
};

}  // namespace pybind11::detail
