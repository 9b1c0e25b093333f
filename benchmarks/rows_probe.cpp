// A yardstick for building recordings: pybind11's own conversion of a row list to a
// vector of vectors, and nothing else. Built by bench_recording.py, never shipped.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <vector>

PYBIND11_MODULE(rows_probe, m) {
    m.def("convert", [](const std::vector<std::vector<double>>& rows) -> std::size_t {
        return rows.size();
    });
}
