#pragma once
// What a tool's files hold, as data beside its questions: the format, the
// shape of a raw file (from the answers), the quantity and its unit, and the
// abscissa of a one-column table. The registry writes tools.json and the man
// pages from these facts, and a run tells its host about every file it reads
// or writes with them (common/run_events.h), so no host has to guess what a
// file holds from its name.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class FileFormat {
    raw,  // float32 samples, row after row, no header
    table,  // tab-separated text table (Shift_JIS)
    text,  // a text file the user writes (the ellipse parameters)
    png,  // an 8-bit grey picture
    dicom,  // a DICOM image file
};

// The format's name in tools.json and in the run's events.
inline const char* format_name(FileFormat format) {
    switch (format) {
        case FileFormat::raw: return "raw";
        case FileFormat::table: return "table";
        case FileFormat::text: return "text";
        case FileFormat::png: return "png";
        case FileFormat::dicom: return "dicom";
    }
    return "raw";
}

// One side of a raw file: the answer to an integer question, or a count of
// its own.
struct Extent {
    Extent(const char* keyword) : keyword(keyword) {}
    Extent(std::int32_t count) : count(count) {}
    const char* keyword = nullptr;
    std::int32_t count = 0;
};

// What the samples of a file stand for: a quantity ("line integral",
// "MTF"), in English words that hosts use as a key, and its unit ("1/cm";
// empty for a pure number). A quantity of nullptr with `like_input` says that
// an output holds what its input held (a filter, a noise adder).
struct Quantity {
    const char* name = nullptr;
    const char* unit = "";
    bool like_input = false;
};

// The abscissa of a one-column table: line i stands at start + i × step.
struct TableAxis {
    const char* quantity = nullptr;  // "spatial frequency", "distance"
    const char* unit = "";  // "cycles/pixel", "pixels"
    double start = 0;
    double step = 0;
};

// How the lines of a table are laid out.
enum class TableLayout {
    none,  // not a table
    column,  // one value a line, no header: the abscissa is a TableAxis
    grid,  // a header of frequencies, then one labelled row per level or window
    columns,  // a header of column names, then one row per abscissa value (its first column)
};

// A file a program reads or writes: the one a question names, or one of its
// fixed files (the description's fixed_files[fixed]), possibly a series of
// names that follow a rule ("n4-5_{level}dB.img", the level in two digits).
struct FileFact {
    const char* question = nullptr;  // keyword of the question that names it
    int fixed = -1;  // else its index in the fixed files
    const char* pattern = nullptr;  // a series: the rule of its names
    std::vector<const char*> names;  // a series: its names with the default answers
    FileFormat format = FileFormat::raw;
    std::vector<Extent> shape;  // raw files: rows first
    Quantity quantity{};
    TableLayout layout = TableLayout::none;
    // A column table's abscissa from the answers (bound to the tool's record).
    std::function<TableAxis()> axis{};
    // The abscissa of grid tables (its values in the header) and of tables
    // of named columns (its values in the first column).
    TableAxis grid_axis{};
    // A series: its names from the answers (bound to the tool's record);
    // without it, `names`.
    std::function<std::vector<std::string>()> series_names{};
    // A series whose names follow the answers in a way the registry's list
    // of default names cannot show (an output's stem and an interval): a
    // host learns them from the run's events.
    bool named_by_run = false;
    // A series numbered 1 … N ({n} in its pattern): the keyword of the
    // integer question that answers N, so that a host names every file of
    // the series from the answers (observer_study's trials).
    const char* count = nullptr;
    // Whether the answers use the file at all (bound to the tool's record);
    // without it, always. A file the answers leave unused is neither planned
    // nor reported. Two facts may describe one question when each has this
    // and the answers choose one of them (a table or an image, say).
    std::function<bool()> used{};
    // The same condition as data where it is one integer answer among some
    // values (detectability's MTF table: MTF kind 0), so that a host that
    // plans runs from tools.json alone leaves the file out as the run does.
    struct AnswerIn {
        const char* keyword = nullptr;
        std::vector<std::int32_t> values;
    } used_when_answer{};
    // An image of μ·Δ: its pixel length Δ in cm from the answers (bound to
    // the tool's record), so that a host can show it in 1/cm or HU.
    std::function<double()> pixel_cm{};
};

// At most this many names of a series are planned ahead of a run (a host
// that asks what a run would write); the run itself reports every file.
inline constexpr std::int32_t planned_series_limit = 1000;

// Builders of the common cases.
namespace file_facts {

inline const std::vector<Extent> image = {"height", "width"};
inline const std::vector<Extent> sinogram = {"angles", "bins"};

// A file with its format, shape and quantity; the question or fixed index is set by the caller.
inline FileFact file_of(FileFormat format, std::vector<Extent> shape, Quantity quantity) {
    FileFact f;
    f.format = format;
    f.shape = std::move(shape);
    f.quantity = quantity;
    return f;
}
inline FileFact asked(const char* keyword, FileFormat format, std::vector<Extent> shape = {}, Quantity quantity = {}) {
    FileFact f = file_of(format, std::move(shape), quantity);
    f.question = keyword;
    return f;
}
inline FileFact fixed(int index, FileFormat format, std::vector<Extent> shape = {}, Quantity quantity = {}) {
    FileFact f = file_of(format, std::move(shape), quantity);
    f.fixed = index;
    return f;
}
inline FileFact series(int index, const char* pattern, std::vector<const char*> names, std::vector<Extent> shape,
                       Quantity quantity) {
    FileFact f = fixed(index, FileFormat::raw, std::move(shape), quantity);
    f.pattern = pattern;
    f.names = std::move(names);
    return f;
}
// A one-column table (ESF, LSF, MTF) with its abscissa.
inline FileFact column_table(FileFact f, Quantity quantity, std::function<TableAxis()> axis) {
    f.quantity = quantity;
    f.layout = TableLayout::column;
    f.axis = std::move(axis);
    return f;
}
// A grid table of spectrum profiles over spatial frequency.
inline FileFact spectrum_grid(const char* keyword, Quantity quantity) {
    FileFact f = asked(keyword, FileFormat::table, {}, quantity);
    f.layout = TableLayout::grid;
    f.grid_axis = {"spatial frequency", "cycles/pixel", 0, 0};
    return f;
}

// A table of named columns, the first its abscissa (iteration, residual, RMSE).
inline FileFact named_columns(const char* keyword, Quantity quantity, const char* axis, const char* unit) {
    FileFact f = asked(keyword, FileFormat::table, {}, quantity);
    f.layout = TableLayout::columns;
    f.grid_axis = {axis, unit, 0, 0};
    return f;
}

// An image or a sinogram in, one of the same or the other shape out.
inline std::vector<FileFact> image_to_image(Quantity in = {}, Quantity out = {nullptr, "", true}) {
    return {asked("input", FileFormat::raw, image, in), asked("output", FileFormat::raw, image, out)};
}
inline std::vector<FileFact> sinogram_to_sinogram(Quantity in, Quantity out) {
    return {asked("input", FileFormat::raw, sinogram, in), asked("output", FileFormat::raw, sinogram, out)};
}
inline std::vector<FileFact> image_to_sinogram(Quantity in, Quantity out) {
    return {asked("input", FileFormat::raw, image, in), asked("output", FileFormat::raw, sinogram, out)};
}

// The quantities of the chain.
inline constexpr Quantity attenuation{"attenuation coefficient", "1/cm"};
inline constexpr Quantity attenuation_per_pixel{"attenuation per pixel", ""};
inline constexpr Quantity line_integral{"line integral", ""};
inline constexpr Quantity counts{"counts", "photons"};
inline constexpr Quantity signal{"signal", ""};
inline constexpr Quantity nnps{"NNPS", ""};
inline constexpr Quantity nps{"NPS", ""};
inline constexpr Quantity esf{"ESF", ""};
inline constexpr Quantity lsf{"LSF", ""};
inline constexpr Quantity mtf{"MTF", ""};
inline constexpr Quantity ellipses{"ellipse parameters", ""};
inline constexpr Quantity picture{"picture", ""};
inline constexpr Quantity hounsfield{"CT number", "HU"};
inline constexpr Quantity like_input{nullptr, "", true};

}  // namespace file_facts
