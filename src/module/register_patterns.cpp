#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "module/bindings.hpp"
#include "module/catalogue_list.hpp"
#include "module/name_arg.hpp"
#include "module/sealed_class.hpp"
#include "module/sequence_arg.hpp"
#include "patterns/pattern_library.hpp"
#include "patterns/sampled_pattern.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {

// The patterns handed to a library, viewed in place: the caller's objects are neither copied
// whole nor consumed by conversion, and the library copies only what it keeps.
struct PatternPack {
    std::vector<const SampledPattern*> items;
    py::object keep_alive;  // a list holding every item that is viewed
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
        handle pattern_type = type::handle_of<kinetrope::SampledPattern>();
        std::vector<const kinetrope::SampledPattern*> items;
        items.reserve(first_reserve(seq, limit));
        const bool read = for_each_item(seq, limit, [&](handle item) {
            // Only real instances: anything else could hand over, through the binding library's
            // interoperability hook, a pointer into an object that nothing here holds.
            if (!PyObject_TypeCheck(item.ptr(), reinterpret_cast<PyTypeObject*>(pattern_type.ptr()))) {
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

namespace kinetrope::bindings {

void register_patterns(py::module_& m) {
    using Samples = SequenceArg<Triple, SampledPattern::MAX_SAMPLES>;
    py::class_<SampledPattern> pattern(m, "SampledPattern");
    pattern
        .def("__init__",
             init_once<SampledPattern>([](std::string name, std::string description,
                                          const Samples& samples) {
                 std::vector<Offset3> values;
                 // Too many samples are refused without a second buffer: the constructor
                 // reports an empty list with the same message, after the name check as always.
                 if (!samples.over_limit) {
                     values.reserve(samples.items.size());
                     for (const Triple& s : samples.items) {
                         values.push_back(Offset3{s.values[0], s.values[1], s.values[2]});
                     }
                 }
                 return SampledPattern(std::move(name), std::move(description), std::move(values));
             }),
             py::detail::is_new_style_constructor(), py::arg("name"), py::arg("description"),
             py::arg("samples"))
        .def_property_readonly("name", &SampledPattern::name)
        .def_property_readonly("description", &SampledPattern::description)
        .def_property_readonly("period_pips", &SampledPattern::period_pips)
        .def("sample", &SampledPattern::sample, py::arg("pip_count").noconvert());
    seal(pattern);

    py::class_<PatternLibrary> library(m, "PatternLibrary");
    library
        .def("__init__",
             init_once<PatternLibrary>(
                 [](const PatternPack& pack) { return PatternLibrary::copy_of(pack.items); }),
             py::detail::is_new_style_constructor(), py::arg("patterns") = py::list())
        .def(
            "sample",
            [](const PatternLibrary& library, NameArg name, int pip_count) {
                if (const PatternLibrary::Found found = library.lookup(name.view)) {
                    return found.sample(pip_count);
                }
                raise_unknown(name.view);
            },
            py::arg("name"), py::arg("pip_count").noconvert())
        .def("catalogue", [](const PatternLibrary& library) { return catalogue_list(library.catalogue()); });
    seal(library);
}

}  // namespace kinetrope::bindings
