// The module functions over the default patterns: sample by name and the catalogue list.
#include <pybind11/pybind11.h>

#include "catalogue/registry.hpp"
#include "module/bindings.hpp"
#include "module/catalogue_list.hpp"
#include "module/name_arg.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {

void register_catalogue(py::module_& m) {
    m.def(
        "sample",
        [](NameArg name, int pip_count) {
            if (const DefaultPattern found = find_default(name.view)) {
                return found.sampler(pip_count);
            }
            raise_unknown(name.view);
        },
        py::arg("name"), py::arg("pip_count"));
    m.def("catalogue", []() -> py::list { return catalogue_list(default_catalogue()); });
}

}  // namespace kinetrope::bindings
