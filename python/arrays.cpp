#include "python/arrays.h"

#include <limits>
#include <string>

namespace {

py::array as_numpy(py::handle value) { return py::module_::import("numpy").attr("asarray")(value); }

// numpy's kinds of real numbers: booleans, signed and unsigned integers, floats.
bool is_real_kind(char kind) { return kind == 'b' || kind == 'i' || kind == 'u' || kind == 'f'; }

}  // namespace

std::vector<double> narrowed_samples(py::handle value, const char* name, std::vector<py::ssize_t>* shape) {
    const py::array array = as_numpy(value);
    const char kind = array.dtype().kind();
    if (!is_real_kind(kind)) {
        throw py::type_error(std::string(name) + ": expected an array of real numbers, got dtype " +
                             py::str(array.dtype()).cast<std::string>());
    }
    // float32 in C order: what a raw file holds; numpy rounds to nearest as the file writer does.
    using Narrow = py::array_t<float, py::array::c_style | py::array::forcecast>;
    const Narrow narrow = Narrow::ensure(array);
    if (!narrow) throw py::error_already_set();
    if (shape != nullptr) shape->assign(narrow.shape(), narrow.shape() + narrow.ndim());
    const float* data = narrow.data();
    std::vector<double> samples(static_cast<std::size_t>(narrow.size()));
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = data[i];
    return samples;
}

Plane plane_argument(py::handle value, const char* name, const char* axes) {
    const py::array array = as_numpy(value);
    if (array.ndim() != 2) {
        throw py::value_error(std::string(name) + ": expected a 2-D array " + axes + ", got " +
                              std::to_string(array.ndim()) + " dimensions");
    }
    constexpr py::ssize_t largest = std::numeric_limits<std::int32_t>::max();
    if (array.shape(0) > largest || array.shape(1) > largest) {
        throw py::value_error(std::string(name) + ": a side of more than 2147483647 samples");
    }
    Plane plane;
    plane.samples = narrowed_samples(array, name);
    plane.rows = static_cast<std::int32_t>(array.shape(0));
    plane.columns = static_cast<std::int32_t>(array.shape(1));
    return plane;
}

py::array_t<double> array_result(std::vector<double>&& samples, std::vector<py::ssize_t> shape) {
    auto* owned = new std::vector<double>(std::move(samples));
    py::capsule owner(owned, [](void* p) { delete static_cast<std::vector<double>*>(p); });
    return py::array_t<double>(std::move(shape), owned->data(), owner);
}

py::array_t<double> plane_result(std::vector<double>&& samples, std::int32_t rows, std::int32_t columns) {
    // The tool's arrays may be empty or larger than the plane (none is): keep exactly rows × columns.
    samples.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, static_cast<std::int64_t>(rows) * columns)));
    return array_result(std::move(samples), {std::max(rows, 0), std::max(columns, 0)});
}

py::array_t<double> column_result(std::vector<double>&& samples) {
    const auto n = static_cast<py::ssize_t>(samples.size());
    return array_result(std::move(samples), {n});
}
