// Raw files and text tables from Python, through the tools' own readers and
// writers, so that files of the console tools and of a notebook meet.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/console_text.h"
#include "common/output_file.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "common/text_lines.h"
#include "python/arrays.h"
#include "python/calls.h"
#include "python/module.h"

namespace {

std::string path_argument(py::handle path) { return py::str(py::module_::import("os").attr("fspath")(path)); }

std::vector<std::string> lines_of(const std::string& name) {
    std::FILE* in = std::fopen(name.c_str(), "rb");
    if (in == nullptr) fail_open(name);
    std::string text;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) fail_open(name);
    return text_lines(text);
}

double number_of(const std::string& cell, const std::string& name, std::size_t line) {
    char* end = nullptr;
    const double value = std::strtod(cell.c_str(), &end);
    if (end == cell.c_str()) {
        fail_with(" エラー：数値ではありません[%s] %zu 行目[%s].\n", name.c_str(), line, cell.c_str());
    }
    return value;
}

struct GridTable {
    std::vector<double> frequencies;
    std::vector<std::string> labels;
    std::vector<double> values;  // rows × frequencies
};

GridTable grid_table(const std::vector<std::string>& lines, const std::string& name) {
    GridTable table;
    const std::vector<std::string> header = tab_cells(lines[0]);
    for (std::size_t k = 1; k < header.size(); ++k) table.frequencies.push_back(number_of(header[k], name, 1));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const std::vector<std::string> cells = tab_cells(lines[i]);
        if (cells.size() != header.size()) {
            fail_with(" エラー：列の数が見出しと違います[%s] %zu 行目.\n", name.c_str(), i + 1);
        }
        table.labels.push_back(cells[0]);
        for (std::size_t k = 1; k < cells.size(); ++k) table.values.push_back(number_of(cells[k], name, i + 1));
    }
    return table;
}

std::vector<double> column_table(const std::vector<std::string>& lines, const std::string& name) {
    std::vector<double> values;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty()) values.push_back(number_of(lines[i], name, i + 1));
    }
    return values;
}

}  // namespace

void register_files(py::module_& m) {
    m.def(
        "read_raw",
        [](py::handle path, py::handle shape) {
            const std::string name = path_argument(path);
            std::vector<py::ssize_t> sides;
            if (py::isinstance<py::int_>(shape)) {
                sides.push_back(shape.cast<py::ssize_t>());
            } else {
                for (py::handle side : py::iter(shape)) sides.push_back(side.cast<py::ssize_t>());
            }
            std::int64_t count = 1;
            for (py::ssize_t side : sides) {
                if (side < 0) throw py::value_error("read_raw(): a side of the shape is negative");
                count *= side;
            }
            std::vector<double> samples = run_tool([&](MessageSink& sink) {
                std::vector<double> read = take_samples(count);
                read_raw_file(name, read, count, sink);
                return read;
            });
            return array_result(std::move(samples), sides);
        },
        py::arg("path"), py::arg("shape"),
        "read_raw(path, shape)\n--\n\n"
        "The raw file (little-endian float32, row major) as a float64 array of the given shape.\n"
        "A file shorter than the shape leaves the missing samples 0 and warns, as the tools do.");

    m.def(
        "write_raw",
        [](py::handle path, py::handle array) {
            const std::string name = path_argument(path);
            std::vector<double> samples = narrowed_samples(array, "array");
            run_tool([&](MessageSink& sink) {
                write_raw_file(name, samples, static_cast<std::int64_t>(samples.size()), {}, sink);
            });
        },
        py::arg("path"), py::arg("array"),
        "write_raw(path, array)\n--\n\n"
        "Writes the array as little-endian float32 in C order, as the tools write raw files: the file\n"
        "appears only once complete, and a failed write leaves the previous one as it was.");

    py::object grid = result_type(m, "Table", {"frequencies", "labels", "values"});
    m.def(
        "read_table",
        [grid](py::handle path) -> py::object {
            const std::string name = path_argument(path);
            const std::string grid_heading = to_shift_jis("周波数");
            bool is_grid = false;
            GridTable table;
            std::vector<double> column;
            run_tool([&](MessageSink&) {
                const std::vector<std::string> lines = lines_of(name);
                is_grid = !lines.empty() && lines[0].compare(0, grid_heading.size(), grid_heading) == 0;
                if (is_grid) {
                    table = grid_table(lines, name);
                } else {
                    column = column_table(lines, name);
                }
            });
            if (!is_grid) return column_result(std::move(column));
            const auto rows = static_cast<py::ssize_t>(table.labels.size());
            const auto bins = static_cast<py::ssize_t>(table.frequencies.size());
            py::list labels;
            for (const std::string& label : table.labels) labels.append(py::str(label));
            return grid(column_result(std::move(table.frequencies)), labels,
                        array_result(std::move(table.values), {rows, bins}));
        },
        py::arg("path"),
        "read_table(path)\n--\n\n"
        "A table written by a tool. A one-column table (LSF, MTF, one NNPS profile) gives a 1-D array;\n"
        "a grid table (its Shift_JIS header 周波数 and the frequencies, then one labelled row per noise\n"
        "level or filter window) gives Table(frequencies, labels, values) with values of shape\n"
        "(rows, frequencies).");
}
