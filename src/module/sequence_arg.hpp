#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

namespace kinetrope::bindings {

// A list argument read item by item. It accepts and refuses exactly what the vector
// converter does, but the length a sequence reports only sizes a bounded first
// reservation: range(10**12) is refused for its items, not with a failed allocation.
template <typename T>
struct SequenceArg {
    std::vector<T> items;
};

}  // namespace kinetrope::bindings

namespace pybind11::detail {

// What the vector converter takes as a list: a sequence as it stands and, with conversion
// allowed, any other iterable, read into a tuple first (a generator is exhausted, as
// tuple(src) would). load_items reads the sequence it is handed.
template <typename LoadItems>
bool load_list_like(handle src, bool convert, LoadItems&& load_items) {
    if (!object_is_convertible_to_std_vector(src)) {
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

template <typename T>
struct type_caster<kinetrope::bindings::SequenceArg<T>> {
    PYBIND11_TYPE_CASTER(kinetrope::bindings::SequenceArg<T>, make_caster<std::vector<T>>::name);

    bool load(handle src, bool convert) {
        return load_list_like(src, convert, [&](handle seq) { return load_items(seq, convert); });
    }

private:
    // Room for this many items is taken up front; more grow as real items arrive.
    static constexpr std::size_t first_reserve = std::size_t{1} << 16;

    bool load_items(handle seq, bool convert) {
        const auto s = reinterpret_borrow<sequence>(seq);
        value.items.clear();
        value.items.reserve(std::min(s.size(), first_reserve));
        // The accessor holds the item it fetched: a sequence may make its items afresh, and
        // a bare handle would outlive the only reference to it.
        for (const auto& item : s) {
            make_caster<T> conv;
            if (!conv.load(item, convert)) {
                return false;
            }
            value.items.push_back(cast_op<T&&>(std::move(conv)));
        }
        return true;
    }
};

}  // namespace pybind11::detail
