#include <string>
#include <utility>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "module/bindings.hpp"
#include "module/recording_rows.hpp"
#include "module/sealed_class.hpp"
#include "module/sequence_arg.hpp"
#include "recording/sampled_recording.hpp"

namespace py = pybind11;

namespace kinetrope::bindings {

void register_recording(py::module_& m) {
    using AxisNames = SequenceArg<std::string, SampledRecording::max_values>;
    py::class_<SampledRecording> recording(m, "SampledRecording");
    recording
        .def("__init__",
             init_once<SampledRecording>([](std::string name, AxisNames dimensions,
                                            RowBlock samples, double bpm,
                                            double beat_zero_seconds, int start_pip) {
                 // Too many axes share the message of none: the constructor reports the size
                 // fault for an empty list in its place, after the name and tempo checks.
                 if (dimensions.over_limit) {
                     dimensions.items = {};
                 }
                 return SampledRecording(std::move(name), std::move(dimensions.items),
                                         std::move(samples), bpm, beat_zero_seconds, start_pip);
             }),
             constructor, py::arg("name"), py::arg("dimensions"),
             py::arg("samples"), py::arg("bpm"), py::arg("beat_zero_seconds") = 0.0,
             py::arg("start_pip") = 0)
        .def_property_readonly("name", &SampledRecording::name)
        .def_property_readonly("dimensions", &SampledRecording::dimensions)
        .def_property_readonly("sample_count", &SampledRecording::sample_count)
        .def_property_readonly("bpm", &SampledRecording::bpm)
        .def_property_readonly("beat_zero_seconds", &SampledRecording::beat_zero_seconds)
        .def_property_readonly("start_pip", &SampledRecording::start_pip)
        .def(
            "sample",
            [](const SampledRecording& r, int pip) { return FloatRow{r.row(pip)}; },
            py::arg("pip").noconvert());
    seal(recording);
}

}  // namespace kinetrope::bindings
