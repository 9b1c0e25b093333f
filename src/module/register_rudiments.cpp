#include <pybind11/pybind11.h>

#include "module/bindings.hpp"
#include "rudiments/rudiments.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {

void register_rudiments(py::module_& m) {
    // Bound without argument names: the pip is positional only.
    for (const RudimentInfo& r : rudiments()) {
        m.def(std::string(r.name).c_str(), r.function);
    }
}

}  // namespace kinetrope::bindings
