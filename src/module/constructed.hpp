#pragma once

#include "core/offset3.hpp"
#include "module/pybind11_internals.hpp"
#include "patterns/pattern_library.hpp"
#include "patterns/sampled_pattern.hpp"
#include "recording/sampled_recording.hpp"

// Every binding file sees these through bindings.hpp, so no file instantiates the plain caster.
namespace pybind11::detail {

template <>
class type_caster<kinetrope::Offset3> : public kinetrope::bindings::constructed_caster<kinetrope::Offset3> {};
template <>
class type_caster<kinetrope::SampledPattern>
    : public kinetrope::bindings::constructed_caster<kinetrope::SampledPattern> {};
template <>
class type_caster<kinetrope::PatternLibrary>
    : public kinetrope::bindings::constructed_caster<kinetrope::PatternLibrary> {};
template <>
class type_caster<kinetrope::SampledRecording>
    : public kinetrope::bindings::constructed_caster<kinetrope::SampledRecording> {};

}  // namespace pybind11::detail
