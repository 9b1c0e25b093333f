#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include <pybind11/pybind11.h>

#include "module/sequence_arg.hpp"
#include "recording/sampled_recording.hpp"

namespace kinetrope::bindings {

// One recorded row on its way out: built straight into a list, no vector in between.
struct FloatRow {
    std::span<const double> values;
};

}  // namespace kinetrope::bindings

namespace pybind11::detail {

// Reads the rows of a recording straight into its flat block. It accepts and refuses
// exactly what the vector-of-vectors caster would, so a row that is not a sequence of
// numbers is still a TypeError before any check of the recording runs, but it holds
// no second copy of the rows and allocates the block once. Rows and values are the ones
// iteration yields; lengths only size the first reservation. No recording holds more than
// cap values, so reading stops one row past cap rows and one value past cap values in a row:
// what follows could only repeat the size fault or the ragged fault already certain.
template <>
class type_caster<kinetrope::RowBlock> {
public:
    PYBIND11_TYPE_CASTER(kinetrope::RowBlock, make_caster<std::vector<std::vector<double>>>::name);

    bool load(handle src, bool convert) {
        return load_list_like(src, convert, [&](handle rows) { return load_rows(rows, convert); });
    }

private:
    static constexpr std::size_t cap = kinetrope::SampledRecording::max_values;

    bool load_rows(handle rows, bool convert) {
        value = kinetrope::RowBlock{};
        rows_hint_ = reinterpret_borrow<sequence>(rows).size();
        keep_ = true;
        uniform_ = true;
        if (PyList_CheckExact(rows.ptr())) {
            // The list iterator's rule, without its object: the size is read afresh on each
            // step, and the row is held while it is read.
            for (Py_ssize_t i = 0; i < PyList_GET_SIZE(rows.ptr()) && value.row_count <= cap; ++i) {
                const object row = reinterpret_borrow<object>(PyList_GET_ITEM(rows.ptr(), i));
                if (!load_row(row, convert)) {
                    return false;
                }
            }
            return true;
        }
        return for_each_item(rows, cap, [&](handle row) { return load_row(row, convert); });
    }

    bool load_row(handle row, bool convert) {
        return load_list_like(row, convert,
                              [&](handle values) { return load_values(values, convert); });
    }

    bool load_values(handle row, bool convert) {
        const std::size_t k = value.row_count;
        if (k == 0) {
            const std::size_t width_hint = reinterpret_borrow<sequence>(row).size();
            value.values.reserve(width_hint > 0 && rows_hint_ > cap / width_hint
                                     ? cap
                                     : rows_hint_ * width_hint);
        }
        const std::size_t base = value.values.size();
        bool keep_row = keep_ && uniform_;
        std::size_t count = 0;
        auto take = [&](double v) {
            if (keep_row) {
                if (value.values.size() < cap) {
                    value.values.push_back(v);
                } else {
                    keep_row = false;
                }
            }
            ++count;
        };
        if (PyList_CheckExact(row.ptr()) || PyTuple_CheckExact(row.ptr())) {
            const bool is_list = PyList_CheckExact(row.ptr());
            for (Py_ssize_t i = 0;
                 i < (is_list ? PyList_GET_SIZE(row.ptr()) : PyTuple_GET_SIZE(row.ptr())) &&
                 count <= cap;
                 ++i) {
                PyObject* item =
                    is_list ? PyList_GET_ITEM(row.ptr(), i) : PyTuple_GET_ITEM(row.ptr(), i);
                if (PyFloat_CheckExact(item)) {
                    take(PyFloat_AS_DOUBLE(item));
                    continue;
                }
                // Conversion may run Python code that changes the row: hold the item.
                const object held = reinterpret_borrow<object>(item);
                make_caster<double> conv;
                if (!conv.load(held, convert)) {
                    return false;
                }
                take(cast_op<double>(conv));
            }
        } else {
            const bool read = for_each_item(row, cap, [&](handle item) {
                make_caster<double> conv;
                if (!conv.load(item, convert)) {
                    return false;
                }
                take(cast_op<double>(conv));
                return true;
            });
            if (!read) {
                return false;
            }
        }
        if (k == 0) {
            value.row_length = count;
        }
        if (uniform_ && count != value.row_length) {
            uniform_ = false;
        }
        if (uniform_) {
            ++value.uniform_rows;
        }
        if (!uniform_ || !keep_row) {
            // A row that is not kept whole is not kept at all; nor is any after it.
            value.values.resize(base);
            keep_ = false;
        }
        ++value.row_count;
        return true;
    }

    std::size_t rows_hint_ = 0;
    bool keep_ = true;
    bool uniform_ = true;
};

template <>
struct type_caster<kinetrope::bindings::FloatRow> {
    static constexpr auto name = make_caster<std::vector<double>>::name;

    static handle cast(const kinetrope::bindings::FloatRow& row, return_value_policy, handle) {
        PyObject* list = PyList_New(static_cast<Py_ssize_t>(row.values.size()));
        if (list == nullptr) {
            return handle();
        }
        Py_ssize_t i = 0;
        for (const double v : row.values) {
            PyObject* item = PyFloat_FromDouble(v);
            if (item == nullptr) {
                Py_DECREF(list);
                return handle();
            }
            PyList_SET_ITEM(list, i++, item);
        }
        return list;
    }
};

}  // namespace pybind11::detail
