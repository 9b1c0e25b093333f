#pragma once

// A method that CPython calls without binding it first. A class that stores a method as an
// instancemethod makes every call `obj.method(...)` look the attribute up, build a bound method
// and free it again; a type flagged as a method descriptor is called as `descriptor(obj, ...)`
// straight from the class, as a Python function is. It stands in for the instancemethod in the
// class and gives everything else back as that did: class access returns the instancemethod
// itself (so `Class.method` is the very object it was), instance access a bound method of its
// function, and a call passes the very same argument array to that function.
//
// Only the CPython C API: nothing here depends on how the binding library lays anything out.

#include <Python.h>

namespace kinetrope::bindings {

// A __reduce__ (METH_NOARGS) that refuses to pickle self, with the TypeError protocol 2 raises
// for an object it cannot reduce.
PyObject* refuse_pickle(PyObject* self, PyObject*);

// A new type for such methods: a new reference, or null with the exception set. Each call makes
// a type of its own, kept alive by the methods made with it, so no Python object is shared
// between module objects.
PyObject* new_method_descriptor_type();

// A method of type (made by new_method_descriptor_type) standing in for method, an
// instancemethod: a new reference, or null with the exception set.
PyObject* new_method_descriptor(PyObject* type, PyObject* method);

}  // namespace kinetrope::bindings
