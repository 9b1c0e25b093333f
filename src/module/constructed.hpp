#pragma once

#include <pybind11/pybind11.h>

#include "core/offset3.hpp"
#include "patterns/pattern_library.hpp"
#include "patterns/sampled_pattern.hpp"
#include "recording/sampled_recording.hpp"

namespace kinetrope::bindings {

// An instance made by Cls.__new__(Cls) without __init__ holds no native object, and the
// binding library would hand its methods fresh uninitialised memory in its place. Such an
// instance is refused as an argument (self included), like any object that is not ours.
template <typename T>
struct constructed_caster : pybind11::detail::type_caster_base<T> {
    bool load(pybind11::handle src, bool convert) {
        const pybind11::detail::type_info* info = this->typeinfo;
        if (info != nullptr && PyObject_TypeCheck(src.ptr(), info->type)) {
            auto* inst = reinterpret_cast<pybind11::detail::instance*>(src.ptr());
            const pybind11::detail::value_and_holder v_h = inst->get_value_and_holder(info, false);
            if (!v_h.holder_constructed()) {
                return false;
            }
            if (Py_TYPE(src.ptr()) == info->type) {
                // An instance of the class itself holds the native object at hand, as the
                // general load would find after checking all of the above again.
                this->value = v_h.value_ptr();
                return true;
            }
        }
        return pybind11::detail::type_caster_base<T>::load(src, convert);
    }
};

}  // namespace kinetrope::bindings

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
