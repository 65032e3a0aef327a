#pragma once
// numpy arrays in and out of the module.
//
// An input array stands for a raw file the tool would read: any real
// dtype and any layout is accepted and every sample is rounded to a 32-bit
// float, exactly as writing the file and reading it back would, so a call
// gives the tool's numbers for the same input. Images are (height, width),
// sinograms (angles, bins). Results are float64 arrays of the doubles the
// tool computes; cast to float32 they hold the very bytes it writes.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <vector>

namespace py = pybind11;

// A two-dimensional input: its samples, row major, and its sides.
struct Plane {
    std::vector<double> samples;
    std::int32_t rows = 0, columns = 0;
};

// The array argument `name` as a plane; TypeError for a dtype that is not
// real (complex, text, objects), ValueError for another number of
// dimensions or a side beyond 32 bits. `axes` names the two axes in the
// messages, e.g. "(height, width)".
Plane plane_argument(py::handle array, const char* name, const char* axes);

// Any real array, flattened in C order, each sample rounded to float32.
std::vector<double> narrowed_samples(py::handle array, const char* name, std::vector<py::ssize_t>* shape = nullptr);

// Results that take over the samples without a copy.
py::array_t<double> array_result(std::vector<double>&& samples, std::vector<py::ssize_t> shape);
py::array_t<double> plane_result(std::vector<double>&& samples, std::int32_t rows, std::int32_t columns);
py::array_t<double> column_result(std::vector<double>&& samples);
