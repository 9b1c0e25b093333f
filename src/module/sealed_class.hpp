#pragma once

// Class protocols through which Python code could make a native object be read as something it
// is not, closed on every bound class: a second __init__, __class__ assignment and pickling.
//
// A second __init__ needs two guards. pybind11's own __init__ returns None without a word for an
// instance that already holds its object, so the guard installed in front of it (InitGuard)
// raises instead. That guard looks before the arguments are converted, though, and converting
// them can run Python code (an __index__, an iterator) that builds this very instance through a
// nested __init__: only the check at construction (init_once) sees that.

#include <string>

#include "module/pybind11_internals.hpp"

namespace kinetrope::bindings {

// Installs the guards on type, whose own __init__ (if it binds one) is replaced by guard_def,
// a function of the type that refuses a built instance and otherwise calls *original. Makes
// the type immutable: __class__ assignment to or from it is refused, as for built-in types.
// Its methods, the guard included, are then called without binding them on every call.
void seal_type(PyTypeObject* type, PyMethodDef& guard_def, std::string& guard_doc,
               PyObject*& original);

// The __init__ that seal installs on the class bound to T.
template <typename T>
struct InitGuard {
    static PyObject* call(PyObject* /*type*/, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) {
        const pybind11::detail::type_info* info = bound_type<T>();
        if (nargs > 0 && PyObject_TypeCheck(args[0], info->type) &&
            native_object(args[0], info) != nullptr) {
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
    bound_type<T>();  // bound by now, so no later lookup can fail
    Guard::def.ml_meth = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&Guard::call));
    seal_type(reinterpret_cast<PyTypeObject*>(cls.ptr()), Guard::def, Guard::doc, Guard::original);
}

}  // namespace kinetrope::bindings
