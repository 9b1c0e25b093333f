#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>

#include "module/constructed.hpp"
#include "module/sequence_arg.hpp"
#include "patterns/pattern_library.hpp"
#include "patterns/sampled_pattern.hpp"

namespace kinetrope::bindings {

// The patterns handed to a library, viewed in place: the caller's objects are neither copied
// whole nor consumed by conversion, and the library copies only what it keeps.
struct PatternPack {
    std::vector<const SampledPattern*> items;
    pybind11::object keep_alive;  // a list holding every item that is viewed
};

}  // namespace kinetrope::bindings

namespace pybind11::detail {

// Accepts what the converter of a list of SampledPattern accepts, with the same signature text.
template <>
struct type_caster<kinetrope::bindings::PatternPack> {
    PYBIND11_TYPE_CASTER(kinetrope::bindings::PatternPack,
                         io_name("collections.abc.Sequence", "list") + const_name("[")
                             + make_caster<kinetrope::SampledPattern>::name + const_name("]"));

    bool load(handle src, bool convert) {
        return load_list_like(src, convert, [&](handle seq) { return load_items(seq, convert); });
    }

private:
    bool load_items(handle seq, bool convert) {
        // The items are viewed, not copied, so each one is held here: a sequence may make its
        // items afresh on each access. Reading stops one past the most patterns a library takes.
        constexpr std::size_t limit = kinetrope::PatternLibrary::MAX_PATTERNS;
        list held;
        PyTypeObject* pattern_type = kinetrope::bindings::bound_class<kinetrope::SampledPattern>();
        std::vector<const kinetrope::SampledPattern*> items;
        items.reserve(first_reserve(seq, limit));
        const bool read = for_each_item(seq, limit, [&](handle item) {
            // Only real instances: anything else could hand over, through the binding library's
            // interoperability hook, a pointer into an object that nothing here holds.
            if (!PyObject_TypeCheck(item.ptr(), pattern_type)) {
                return false;
            }
            make_caster<kinetrope::SampledPattern> conv;
            if (!conv.load(item, convert)) {
                return false;
            }
            held.append(item);
            items.push_back(static_cast<const kinetrope::SampledPattern*>(conv));
            return true;
        });
        if (!read) {
            return false;
        }
        value.items = std::move(items);
        value.keep_alive = std::move(held);
        return true;
    }
};

}  // namespace pybind11::detail
