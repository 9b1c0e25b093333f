#pragma once

// Everything the bindings take from pybind11 beyond its documented interface, in one place:
// the layout of its instances (where the native object is, whether it was built), the
// registration of a bound class, the value_and_holder that a new-style constructor receives,
// the keep-alive set of a call, what its vector converter counts as a list, the
// instancemethod objects it stores bound methods as, and the module definition its entry point
// returns. All of it was read from the releases the
// check below admits; a later series is admitted only once it has been read again (with the
// bounds in pyproject.toml and CMakeLists.txt).

#include <typeinfo>
#include <utility>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

// 3.0.2 (final) up to, not including, 3.2.0; every release states its version this way.
static_assert(PYBIND11_VERSION_HEX >= 0x030002F0 && PYBIND11_VERSION_HEX < 0x03020000,
              "the bindings rely on pybind11 internals as they are from 3.0.2 to 3.1.x");

namespace kinetrope::bindings {

// What PYBIND11_MODULE's entry point does once the interpreter passed its checks, for an entry
// point that checks more first: the definition, with pybind11's slots, of the module that exec
// fills in (PYBIND11_MODULE_EXEC).
inline PyObject* init_module(const char* name, int (*exec)(PyObject*)) {
    try {
        pybind11::detail::ensure_internals();
        static pybind11::detail::slots_array slots = pybind11::detail::init_slots(exec);
        static PyModuleDef def{PyModuleDef_HEAD_INIT, name,    nullptr, 0,      nullptr,
                               slots.data(),          nullptr, nullptr, nullptr};
        return PyModuleDef_Init(&def);
    }
    PYBIND11_CATCH_INIT_EXCEPTIONS
    return nullptr;
}

// The registration of the class bound to T, looked up on first use (once the module has bound
// it) instead of on every argument.
template <typename T>
const pybind11::detail::type_info* bound_type() {
    static const pybind11::detail::type_info* const info =
        pybind11::detail::get_type_info(typeid(T), /*throw_if_missing=*/true);
    return info;
}

// The Python class bound to T.
template <typename T>
PyTypeObject* bound_class() {
    return bound_type<T>()->type;
}

// The native object of obj, an instance of the class that info registers or of a subclass;
// null when it holds none, as an instance made by Cls.__new__(Cls) without __init__ does.
inline void* native_object(PyObject* obj, const pybind11::detail::type_info* info) noexcept {
    auto* inst = reinterpret_cast<pybind11::detail::instance*>(obj);
    if (inst->simple_layout) {
        // One bound class among its bases: the instance itself holds its value and the flag.
        return inst->simple_holder_constructed ? inst->simple_value_holder[0] : nullptr;
    }
    const pybind11::detail::value_and_holder v_h = inst->get_value_and_holder(info, false);
    return v_h.holder_constructed() ? v_h.value_ptr() : nullptr;
}

// Keeps obj alive until the call whose arguments are being converted returns.
inline void keep_for_call(pybind11::handle obj) {
    pybind11::detail::loader_life_support::add_patient(obj);
}

// Whether the vector converter would read src as a list at all: a str, bytes, a mapping or a
// set is not one.
inline bool reads_as_list(pybind11::handle src) {
    return pybind11::detail::object_is_convertible_to_std_vector(src);
}

// The function of a bound method as the class stores it (an instancemethod around a built-in
// function); null for any other attribute.
inline PyObject* bound_function(PyObject* attribute) noexcept {
    return attribute != nullptr && PyInstanceMethod_Check(attribute)
               ? PyInstanceMethod_GET_FUNCTION(attribute)
               : nullptr;
}

// Sets the TypeError that refuses a second __init__ of self.
inline void set_second_init_error(PyObject* self) {
    PyErr_Format(PyExc_TypeError, "%s object is already initialised", Py_TYPE(self)->tp_name);
}

// Marks a function bound as __init__ as one that init_once made.
inline constexpr pybind11::detail::is_new_style_constructor constructor{};

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
// cls.def("__init__", init_once<T>(make), constructor, ...).
template <typename T, typename Make>
auto init_once(Make make) {
    using Signature = pybind11::detail::function_signature_t<Make>;
    return init_once_impl<T>(std::move(make), static_cast<Signature*>(nullptr));
}

// The converter of a bound class T, as an argument (self included) and as a result. An instance
// that holds no native object is refused like any object that is not ours: the general load
// would hand the method fresh uninitialised memory in its place. An instance of the class
// itself is taken at once; a subclass instance goes through the general load.
template <typename T>
class constructed_caster {
public:
    static constexpr auto name = pybind11::detail::type_caster_base<T>::name;
    template <typename U>
    using cast_op_type = pybind11::detail::cast_op_type<U>;

    template <typename Src>
    static pybind11::handle cast(Src&& src, pybind11::return_value_policy policy,
                                 pybind11::handle parent) {
        return pybind11::detail::type_caster_base<T>::cast(std::forward<Src>(src), policy, parent);
    }

    bool load(pybind11::handle src, bool convert) {
        const pybind11::detail::type_info* info = bound_type<T>();
        PyObject* obj = src.ptr();
        if (PyObject_TypeCheck(obj, info->type)) {
            void* native = native_object(obj, info);
            if (native == nullptr) {
                return false;
            }
            if (Py_TYPE(obj) == info->type) {
                value_ = static_cast<T*>(native);
                return true;
            }
        }
        pybind11::detail::type_caster_base<T> general;
        if (!general.load(src, convert)) {
            return false;
        }
        value_ = static_cast<T*>(general);
        return true;
    }

    // NOLINTNEXTLINE(google-explicit-constructor)
    operator T*() { return value_; }
    // NOLINTNEXTLINE(google-explicit-constructor)
    operator T&() {
        if (value_ == nullptr) {
            throw pybind11::reference_cast_error();
        }
        return *value_;
    }

private:
    T* value_ = nullptr;
};

}  // namespace kinetrope::bindings
