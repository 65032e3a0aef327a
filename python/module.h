#pragma once
// The parts of the module, one per area of the suite, each adding its
// functions (named as the tools) to the module.

#include <pybind11/pybind11.h>

namespace py = pybind11;

void register_files(py::module_& m);
void register_phantom(py::module_& m);
void register_projection(py::module_& m);
void register_recon(py::module_& m);
void register_iterative(py::module_& m);
void register_fan(py::module_& m);
void register_resolution(py::module_& m);
void register_detectability(py::module_& m);
void register_detection_trials(py::module_& m);
void register_observer_study(py::module_& m);
void register_noise(py::module_& m);
void register_filters(py::module_& m);
void register_viewer(py::module_& m);
void register_dicom(py::module_& m);
