#pragma once

#include <string>
#include <string_view>

#include <pybind11/pybind11.h>

#include "catalogue/registry.hpp"
#include "module/pybind11_internals.hpp"

namespace kinetrope::bindings {

// A name argument taken as a view of bytes the caller's object already holds: a str as its
// UTF-8 form, bytes and bytearray as they stand. Bind it where a name is only looked at
// during the call.
struct NameArg {
    std::string_view view;
};

// The plain translation hands what() to Python as a C string, which cuts the name at a
// zero byte and turns a name that is not UTF-8 into a UnicodeDecodeError. Raise the
// ValueError here instead, with every byte of the name (undecodable ones escaped).
[[noreturn]] inline void raise_unknown(std::string_view name) {
    const std::string text = unknown_name_message(name);
    PyObject* message = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()),
                                             "backslashreplace");
    if (message == nullptr) {
        throw pybind11::error_already_set();
    }
    PyErr_SetObject(PyExc_ValueError, message);
    Py_DECREF(message);
    throw pybind11::error_already_set();
}

}  // namespace kinetrope::bindings

namespace pybind11::detail {

// Accepts and refuses exactly what the string_view caster does, without registering the
// source object with the call's keep-alive set. A str or bytes object cannot change and the
// caller holds every argument for the whole call, so a view of it stays valid. A bytearray can:
// converting a later argument runs Python code (an __index__, say) that may resize it and free
// its buffer. Its bytes are copied into a bytes object that the call keeps alive until it
// returns, so the name the call compares and reports is the name as it was converted. (The
// copy is not a member of the caster: that would cost every call by name, not just these.)
template <>
struct type_caster<kinetrope::bindings::NameArg> {
    PYBIND11_TYPE_CASTER(kinetrope::bindings::NameArg, const_name(PYBIND11_STRING_NAME));

    bool load(handle src, bool /*convert*/) {
        PyObject* o = src.ptr();
        if (o == nullptr) {
            return false;
        }
        if (PyUnicode_Check(o)) {
            if (PyUnicode_IS_COMPACT_ASCII(o)) {  // its characters are its UTF-8 bytes
                value.view = std::string_view(static_cast<const char*>(PyUnicode_DATA(o)),
                                              static_cast<std::size_t>(PyUnicode_GET_LENGTH(o)));
                return true;
            }
            Py_ssize_t size = -1;
            const char* data = PyUnicode_AsUTF8AndSize(o, &size);
            if (data == nullptr) {  // no UTF-8 form, e.g. a lone surrogate
                PyErr_Clear();
                return false;
            }
            value.view = std::string_view(data, static_cast<std::size_t>(size));
            return true;
        }
        if (PyBytes_Check(o)) {
            value.view = std::string_view(PyBytes_AS_STRING(o),
                                          static_cast<std::size_t>(PyBytes_GET_SIZE(o)));
            return true;
        }
        if (PyByteArray_Check(o)) {
            const auto copy = reinterpret_steal<object>(
                PyBytes_FromStringAndSize(PyByteArray_AS_STRING(o), PyByteArray_GET_SIZE(o)));
            if (!copy) {
                throw error_already_set();
            }
            kinetrope::bindings::keep_for_call(copy);
            value.view = std::string_view(PyBytes_AS_STRING(copy.ptr()),
                                          static_cast<std::size_t>(PyBytes_GET_SIZE(copy.ptr())));
            return true;
        }
        return false;
    }

    static handle cast(const kinetrope::bindings::NameArg& src, return_value_policy, handle) {
        return PyUnicode_DecodeUTF8(src.view.data(), static_cast<Py_ssize_t>(src.view.size()),
                                    nullptr);
    }
};

}  // namespace pybind11::detail
