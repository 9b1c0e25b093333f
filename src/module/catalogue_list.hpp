#pragma once

#include <cstddef>
#include <span>
#include <utility>

#include <pybind11/pybind11.h>

#include "catalogue/registry.hpp"

namespace kinetrope::bindings {

// One new dict per entry, keys inserted as "name", "description", "period_pips", "dimensions".
// Text is decoded as strict UTF-8, which every name and description was checked to be when its
// pattern was built.
inline pybind11::list catalogue_list(std::span<const CatalogueEntry> entries) {
    namespace py = pybind11;
    const py::str name_key("name");
    const py::str description_key("description");
    const py::str period_key("period_pips");
    const py::str dimensions_key("dimensions");
    py::list out(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CatalogueEntry& e = entries[i];
        py::dict d;
        d[name_key] = py::str(e.name.data(), e.name.size());
        d[description_key] = py::str(e.description.data(), e.description.size());
        d[period_key] = py::int_(e.period_pips);
        d[dimensions_key] = py::int_(e.dimensions);
        out[i] = std::move(d);
    }
    return out;
}

}  // namespace kinetrope::bindings
