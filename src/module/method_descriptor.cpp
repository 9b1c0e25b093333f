#include "module/method_descriptor.hpp"

#include <cstddef>

#include <structmember.h>

namespace kinetrope::bindings {
namespace {

struct MethodDescriptor {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    PyObject* method;    // the instancemethod it stands in for
    PyObject* function;  // the function that method calls
};

MethodDescriptor* as_descriptor(PyObject* self) {
    return reinterpret_cast<MethodDescriptor*>(self);
}

// Null only once the collector has cleared the object, while a cycle it was part of is freed.
PyObject* function_of(PyObject* self) {
    PyObject* function = as_descriptor(self)->function;
    if (function == nullptr) {
        PyErr_Format(PyExc_ReferenceError, "%s object is cleared", Py_TYPE(self)->tp_name);
    }
    return function;
}

// CPython passes the instance first, as to any unbound method; the array (and the leave to
// use the slot before it) goes on unchanged.
PyObject* call(PyObject* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
    PyObject* function = function_of(self);
    return function == nullptr ? nullptr : PyObject_Vectorcall(function, args, nargsf, kwnames);
}

PyObject* get(PyObject* self, PyObject* obj, PyObject* /*type*/) {
    PyObject* function = function_of(self);
    if (function == nullptr) {
        return nullptr;
    }
    if (obj == nullptr) {
        return Py_NewRef(as_descriptor(self)->method);
    }
    return PyMethod_New(function, obj);
}

// Names the type does not define are the function's, as they are for an instancemethod.
PyObject* get_attribute(PyObject* self, PyObject* name) {
    PyObject* found = PyObject_GenericGetAttr(self, name);
    if (found != nullptr || !PyErr_ExceptionMatches(PyExc_AttributeError) ||
        as_descriptor(self)->function == nullptr) {
        return found;
    }
    PyErr_Clear();
    return PyObject_GetAttr(as_descriptor(self)->function, name);
}

PyObject* get_doc(PyObject* self, void*) {
    PyObject* function = function_of(self);
    return function == nullptr ? nullptr : PyObject_GetAttrString(function, "__doc__");
}

PyObject* repr(PyObject* self) {
    PyObject* method = as_descriptor(self)->method;
    return method == nullptr ? PyUnicode_FromFormat("<%s>", Py_TYPE(self)->tp_name)
                             : PyUnicode_FromFormat("<%s of %R>", Py_TYPE(self)->tp_name, method);
}

int traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(as_descriptor(self)->method);
    Py_VISIT(as_descriptor(self)->function);
    return 0;
}

int clear(PyObject* self) {
    Py_CLEAR(as_descriptor(self)->method);
    Py_CLEAR(as_descriptor(self)->function);
    return 0;
}

void dealloc(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    PyObject_GC_UnTrack(self);
    clear(self);
    type->tp_free(self);
    Py_DECREF(type);
}

PyMemberDef members[] = {
    {"__func__", T_OBJECT, offsetof(MethodDescriptor, function), READONLY, nullptr},
    {"__vectorcalloffset__", T_PYSSIZET, offsetof(MethodDescriptor, vectorcall), READONLY, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

PyGetSetDef getset[] = {
    {"__doc__", get_doc, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

// Not picklable, as the instancemethod it stands in for is not, nor the classes that hold it.
PyMethodDef methods[] = {
    {"__reduce__", refuse_pickle, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

template <typename F>
void* slot(F* function) {
    return reinterpret_cast<void*>(function);
}

PyType_Slot slots[] = {
    {Py_tp_dealloc, slot(dealloc)},
    {Py_tp_traverse, slot(traverse)},
    {Py_tp_clear, slot(clear)},
    {Py_tp_call, slot(PyVectorcall_Call)},
    {Py_tp_descr_get, slot(get)},
    {Py_tp_getattro, slot(get_attribute)},
    {Py_tp_repr, slot(repr)},
    {Py_tp_hash, slot(PyObject_HashNotImplemented)},  // unhashable, as an instancemethod is
    {Py_tp_members, members},
    {Py_tp_getset, getset},
    {Py_tp_methods, methods},
    {0, nullptr},
};

// No instances but those made here, no subclasses, no attributes set on the type.
PyType_Spec spec{
    "kinetrope.method_descriptor",
    static_cast<int>(sizeof(MethodDescriptor)),
    0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_METHOD_DESCRIPTOR |
        Py_TPFLAGS_HAVE_VECTORCALL | Py_TPFLAGS_DISALLOW_INSTANTIATION | Py_TPFLAGS_IMMUTABLETYPE,
    slots,
};

}  // namespace

PyObject* refuse_pickle(PyObject* self, PyObject*) {
    PyErr_Format(PyExc_TypeError, "cannot pickle '%.200s' object", Py_TYPE(self)->tp_name);
    return nullptr;
}

PyObject* new_method_descriptor_type() {
    return PyType_FromSpec(&spec);
}

PyObject* new_method_descriptor(PyObject* type, PyObject* method) {
    PyObject* function = PyInstanceMethod_Function(method);
    if (function == nullptr) {
        return nullptr;
    }
    PyObject* self = PyType_GenericAlloc(reinterpret_cast<PyTypeObject*>(type), 0);
    if (self == nullptr) {
        return nullptr;
    }
    MethodDescriptor* descriptor = as_descriptor(self);
    descriptor->vectorcall = call;
    descriptor->method = Py_NewRef(method);
    descriptor->function = Py_NewRef(function);
    return self;
}

}  // namespace kinetrope::bindings
