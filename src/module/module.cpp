// The module's single entry point. The body registers every name in one fixed order:
// classes before the first function whose signature names them.
#include <pybind11/pybind11.h>

#include "core/pip.hpp"
#include "module/bindings.hpp"

namespace py = pybind11;

PYBIND11_MODULE(kinetrope, m) {
    m.attr("__doc__") = "Integer-pip rhythmic position functions";
    m.attr("PIPS_PER_BEAT") = kinetrope::PIPS_PER_BEAT;
    kinetrope::bindings::register_recording(m);
    kinetrope::bindings::register_offset3(m);
    kinetrope::bindings::register_patterns(m);
    kinetrope::bindings::register_catalogue(m);
    kinetrope::bindings::register_rudiments(m);
}
