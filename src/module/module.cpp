// The module's single entry point. The body registers every name in one fixed order:
// classes before the first function whose signature names them.
#include <pybind11/pybind11.h>

#include "core/pip.hpp"
#include "module/bindings.hpp"
#include "module/pybind11_internals.hpp"

namespace py = pybind11;

namespace {

// The bound classes keep process-wide state (their types and original __init__), so a second
// interpreter that built its own copies would leave the first calling into freed ones.
bool refuse_other_interpreters() {
    if (PyInterpreterState_Get() == PyInterpreterState_Main()) {
        return false;
    }
    PyErr_SetString(PyExc_ImportError, "kinetrope can only be imported in the main interpreter");
    return true;
}

}  // namespace

PYBIND11_MODULE_EXEC(kinetrope, m) {
    // CPython 3.13 may call PyInit_kinetrope in the main interpreter on another's behalf, and
    // runs only this body in the importing interpreter.
    if (refuse_other_interpreters()) {
        throw py::error_already_set();
    }
    m.attr("__doc__") = "Integer-pip rhythmic position functions";
    m.attr("PIPS_PER_BEAT") = kinetrope::PIPS_PER_BEAT;
    kinetrope::bindings::register_recording(m);
    kinetrope::bindings::register_offset3(m);
    kinetrope::bindings::register_patterns(m);
    kinetrope::bindings::register_catalogue(m);
    kinetrope::bindings::register_rudiments(m);
}

// pybind11's own entry point, with the refusal first: on CPython 3.11 the binding library's
// start in a subinterpreter waits forever for the main interpreter's GIL.
extern "C" PYBIND11_EXPORT PyObject* PyInit_kinetrope() {
    PYBIND11_CHECK_PYTHON_VERSION
    if (refuse_other_interpreters()) {
        return nullptr;
    }
    return kinetrope::bindings::init_module("kinetrope", &pybind11_exec_kinetrope);
}
