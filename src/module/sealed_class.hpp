#pragma once

// Class protocols through which Python code could make a native object be read as something it
// is not, closed on every bound class: a second __init__, __class__ assignment and pickling.

#include <string>
#include <utility>

#include <pybind11/pybind11.h>

namespace kinetrope::bindings {

// Whether self is an instance of cls that already holds its native object.
bool is_built(PyObject* self, PyTypeObject* cls) noexcept;

// Sets the TypeError that refuses a second __init__ of self.
void set_second_init_error(PyObject* self);

template <typename T, typename Make, typename R, typename... Args>
auto init_once_impl(Make make, R (*)(Args...)) {
    return [make = std::move(make)](pybind11::detail::value_and_holder& v_h, Args... args) {
        // Converting the arguments may have run Python code that built this very instance
        // through a nested __init__; building it again would orphan that object.
        if (v_h.holder_constructed()) {
            set_second_init_error(reinterpret_cast<PyObject*>(v_h.inst));
            throw pybind11::error_already_set();
        }
        v_h.value_ptr() = new T(make(std::forward<Args>(args)...));
    };
}

// make bound as the class's __init__, building the native object at most once. Bind it as
// cls.def("__init__", init_once<T>(make), pybind11::detail::is_new_style_constructor(), ...).
template <typename T, typename Make>
auto init_once(Make make) {
    using Signature = pybind11::detail::function_signature_t<Make>;
    return init_once_impl<T>(std::move(make), static_cast<Signature*>(nullptr));
}

// Installs the guards on type, whose own __init__ (if it binds one) is replaced by guard_def,
// a function of the type that refuses a built instance and otherwise calls *original. Makes
// the type immutable: __class__ assignment to or from it is refused, as for built-in types.
void seal_type(PyTypeObject* type, PyMethodDef& guard_def, std::string& guard_doc,
               PyObject*& original);

// The __init__ that seal installs on the class bound to T.
template <typename T>
struct InitGuard {
    static PyObject* call(PyObject* type, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) {
        if (nargs > 0 && is_built(args[0], reinterpret_cast<PyTypeObject*>(type))) {
            set_second_init_error(args[0]);
            return nullptr;
        }
        return PyObject_Vectorcall(original, args, static_cast<std::size_t>(nargs), kwnames);
    }
    static inline PyMethodDef def{};
    static inline std::string doc;
    static inline PyObject* original = nullptr;  // the binding's own __init__, kept for good
};

// Once every member of the class is bound.
template <typename T>
void seal(pybind11::class_<T>& cls) {
    using Guard = InitGuard<T>;
    Guard::def.ml_meth = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&Guard::call));
    seal_type(reinterpret_cast<PyTypeObject*>(cls.ptr()), Guard::def, Guard::doc, Guard::original);
}

}  // namespace kinetrope::bindings
