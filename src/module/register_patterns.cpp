#include <string>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "module/bindings.hpp"
#include "module/catalogue_list.hpp"
#include "module/name_arg.hpp"
#include "module/pattern_pack.hpp"
#include "module/sealed_class.hpp"
#include "module/sequence_arg.hpp"
#include "patterns/pattern_library.hpp"
#include "patterns/sampled_pattern.hpp"

namespace py = pybind11;

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
                 // reports an empty list with the same message, after the name and description
                 // checks as always.
                 if (!samples.over_limit) {
                     values.reserve(samples.items.size());
                     for (const Triple& s : samples.items) {
                         values.push_back(Offset3{s.values[0], s.values[1], s.values[2]});
                     }
                 }
                 return SampledPattern(std::move(name), std::move(description), std::move(values));
             }),
             constructor, py::arg("name"), py::arg("description"), py::arg("samples"))
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
             constructor, py::arg("patterns") = py::list())
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
