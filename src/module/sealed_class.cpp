#include "module/sealed_class.hpp"

#include "module/method_descriptor.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {
namespace {

PyObject* get_class(PyObject* self, void*) {
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(self));
    Py_INCREF(type);
    return type;
}

// Every class shares one instance layout, so CPython would let an instance take another
// class and its methods read its native object as the wrong type.
int refuse_class_assignment(PyObject* self, PyObject*, void*) {
    PyErr_Format(PyExc_TypeError, "__class__ assignment is not supported for '%s' objects",
                 Py_TYPE(self)->tp_name);
    return -1;
}

PyGetSetDef class_getset{"__class__", get_class, refuse_class_assignment, nullptr, nullptr};

// The default reduction below protocol 2 calls the binding library's shared base class on the
// instance, which aborts the process. No protocol can carry a native object anyway: refuse
// them all as protocol 2 does, with its message.
PyMethodDef reduce_def{"__reduce__", refuse_pickle, METH_NOARGS, nullptr};

void set_item(PyTypeObject* type, const char* name, PyObject* value) {
    if (value == nullptr || PyDict_SetItemString(type->tp_dict, name, value) != 0) {
        Py_XDECREF(value);
        throw py::error_already_set();
    }
    Py_DECREF(value);
}

// Every method the class stores as an instancemethod becomes one that CPython calls straight
// from the class, without a bound method made and freed on each call. The type is made anew for
// each class and kept alive by its methods, so no Python object is shared between module objects.
void call_methods_unbound(PyTypeObject* type) {
    const py::object method_type = py::reinterpret_steal<py::object>(new_method_descriptor_type());
    if (!method_type) {
        throw py::error_already_set();
    }
    PyObject* name = nullptr;
    PyObject* value = nullptr;
    Py_ssize_t position = 0;
    // Only values change, which leaves the iteration valid.
    while (PyDict_Next(type->tp_dict, &position, &name, &value)) {
        if (bound_function(value) != nullptr) {
            PyObject* method = new_method_descriptor(method_type.ptr(), value);
            if (method == nullptr || PyDict_SetItem(type->tp_dict, name, method) != 0) {
                Py_XDECREF(method);
                throw py::error_already_set();
            }
            Py_DECREF(method);
        }
    }
}

}  // namespace

void seal_type(PyTypeObject* type, PyMethodDef& guard_def, std::string& guard_doc,
               PyObject*& original) {
    // pybind11 binds a method as an instancemethod around its function; the guard is bound the
    // same way and keeps the signature text, so only a second __init__ sees a difference.
    if (PyObject* init = bound_function(PyDict_GetItemString(type->tp_dict, "__init__"))) {
        original = init;
        Py_INCREF(original);
        guard_doc = py::str(py::handle(original).attr("__doc__")).cast<std::string>();
        guard_def.ml_name = "__init__";
        guard_def.ml_flags = METH_FASTCALL | METH_KEYWORDS;
        guard_def.ml_doc = guard_doc.c_str();
        const py::object module = py::handle(original).attr("__module__");
        const py::object function = py::reinterpret_steal<py::object>(
            PyCFunction_NewEx(&guard_def, reinterpret_cast<PyObject*>(type), module.ptr()));
        if (!function) {
            throw py::error_already_set();
        }
        set_item(type, "__init__", PyInstanceMethod_New(function.ptr()));
    }
    call_methods_unbound(type);
    set_item(type, "__class__", PyDescr_NewGetSet(type, &class_getset));
    set_item(type, "__reduce__", PyDescr_NewMethod(type, &reduce_def));
    type->tp_flags |= Py_TPFLAGS_IMMUTABLETYPE;
    PyType_Modified(type);
}

}  // namespace kinetrope::bindings
