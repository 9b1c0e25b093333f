// The module functions over the default patterns: sample by name and the catalogue list.
#include <stdexcept>
#include <string>

#include <pybind11/pybind11.h>

#include "catalogue/registry.hpp"
#include "module/bindings.hpp"
#include "module/catalogue_list.hpp"
#include "module/name_arg.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {
namespace {

// The plain translation hands what() to Python as a C string, which cuts the name at a
// zero byte and turns a name that is not UTF-8 into a UnicodeDecodeError. Raise the
// ValueError here instead, with every byte of the name (undecodable ones escaped).
[[noreturn]] void raise_unknown(std::string_view name) {
    std::string text = "Unknown kinetrope rudiment: ";
    text.append(name);
    PyObject* message = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()),
                                             "backslashreplace");
    if (message == nullptr) {
        throw py::error_already_set();
    }
    PyErr_SetObject(PyExc_ValueError, message);
    Py_DECREF(message);
    throw py::error_already_set();
}

}  // namespace

void register_catalogue(py::module_& m) {
    m.def(
        "sample",
        [](NameArg name, int pip_count) {
            try {
                return kinetrope::sample(name.view, pip_count);
            } catch (const std::invalid_argument&) {
                raise_unknown(name.view);
            }
        },
        py::arg("name"), py::arg("pip_count"));
    m.def("catalogue", []() -> py::list { return catalogue_list(default_catalogue()); });
}

}  // namespace kinetrope::bindings
