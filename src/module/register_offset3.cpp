#include <pybind11/pybind11.h>

#include "core/offset3.hpp"
#include "module/bindings.hpp"
#include "module/sealed_class.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {

void register_offset3(py::module_& m) {
    // No constructor: every Offset3 Python sees is a fresh result of a sampling call.
    py::class_<Offset3> offset(m, "Offset3");
    offset.def_readonly("x", &Offset3::x)
        .def_readonly("y", &Offset3::y)
        .def_readonly("z", &Offset3::z)
        .def("as_tuple", [](const Offset3& o) { return py::make_tuple(o.x, o.y, o.z); });
    seal(offset);
}

}  // namespace kinetrope::bindings
