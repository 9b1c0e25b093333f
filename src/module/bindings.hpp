#pragma once

#include <pybind11/pybind11.h>

#include "module/constructed.hpp"

namespace kinetrope::bindings {

// Each registers one area of the module; module.cpp calls them in registration order.
void register_recording(pybind11::module_& m);
void register_offset3(pybind11::module_& m);
void register_patterns(pybind11::module_& m);
void register_catalogue(pybind11::module_& m);
void register_rudiments(pybind11::module_& m);

}  // namespace kinetrope::bindings
