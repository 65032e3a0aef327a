#include "common/run_events.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/console_text.h"
#include "common/language.h"
#include "common/platform.h"

namespace run_events {

namespace {

using Json = nlohmann::ordered_json;

// A file the answers name, resolved once the dialogue is over.
struct PlannedFile {
    std::string name;
    const FileFact* fact;
    Role role;
};

struct Recorder {
    std::mutex mutex;
    std::FILE* stream = nullptr;
    bool owns_stream = false;
    // CT_EVENTS is opened only once the dialogue has named the run's files,
    // so that it can be refused when it is one of them; until then the
    // events wait here.
    std::string pending_path;
    std::string held;
    bool holding = false;
    std::string path;  // the events file being written, for its warnings
    const ToolDialogue* dialogue = nullptr;
    std::vector<PlannedFile> planned;
    std::string failure_file;
    const char* failure_kind = nullptr;
    std::optional<long double> failure_bytes;
    std::string last_stage;
    std::int64_t last_percent = -1;
    std::int64_t inside_rows = -1, inside_columns = -1;  // a shape read inside an input
};

Recorder& recorder() {
    static Recorder r;
    return r;
}

// One event a line, flushed at once, so that a run that ends abruptly still
// leaves every event it reached. Names and answers are bytes as typed (a
// Shift_JIS name, say): what is not UTF-8 is replaced, never refused.
void close_stream(Recorder& r) {
    if (r.owns_stream && r.stream != nullptr) std::fclose(r.stream);
    r.stream = nullptr;
    r.owns_stream = false;
}

// Writes event lines; a file that takes them no longer (a full disk,
// /dev/full, a reader gone) is said once, and the run goes on without events.
void write_lines(Recorder& r, const std::string& lines) {
    if (r.stream == nullptr || lines.empty()) return;
    errno = 0;
    const bool written = std::fwrite(lines.data(), 1, lines.size(), r.stream) == lines.size();
    if (written && std::fflush(r.stream) == 0) return;
    if (!r.owns_stream) return;  // standard output: its own failure is told at the end
    const int error = errno;
    console_printf(stderr, " 警告：イベントのファイルに書き込めません[%s]（%s）。以後のイベントは記録しません。\n",
                   r.path.c_str(), std::strerror(error != 0 ? error : EIO));
    close_stream(r);
}

void emit(Recorder& r, const Json& event) {
    if (r.stream == nullptr && !r.holding) return;
    const std::string line = event.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
    if (r.holding) {
        r.held += line;
        return;
    }
    write_lines(r, line);
}

bool is_run_file(const Recorder& r, const std::string& path);

// Opens the events file the environment named, unless it is one of the
// run's own files, and writes the events held so far.
void open_pending(Recorder& r) {
    if (!r.holding) return;
    r.holding = false;
    const std::string path = std::exchange(r.pending_path, std::string());
    std::string held = std::exchange(r.held, std::string());
    if (is_run_file(r, path)) {
        console_printf(stderr, " 警告：イベントのファイル[%s]はこの実行が読み書きするファイルです。イベントなしで続けます。\n",
                       path.c_str());
        return;
    }
    int error = 0;
    std::FILE* stream = open_for_appending(path, error);
    if (stream == nullptr) {
        const char* reason = error == ENXIO ? in_language("読み手のいない FIFO です") : std::strerror(error);
        console_printf(stderr, " 警告：イベントのファイルが開けません[%s]（%s）。イベントなしで続けます。\n", path.c_str(),
                       reason);
        return;
    }
    r.stream = stream;
    r.owns_stream = true;
    r.path = path;
    write_lines(r, held);
}

const char* language_code() { return text_language() == Language::english ? "en" : "ja"; }

// The value an integer question took (the shape of a raw file).
std::optional<std::int64_t> integer_answer_of(const ToolDialogue& d, const char* keyword) {
    const Question* q = question_of(d, keyword);
    if (auto* integer = q != nullptr ? std::get_if<std::int32_t*>(&q->field) : nullptr) return **integer;
    return std::nullopt;
}

std::optional<std::int64_t> extent_value(const ToolDialogue& d, const Extent& e) {
    if (e.keyword == nullptr) return e.count;
    return integer_answer_of(d, e.keyword);
}

Role role_of(FileUse use) { return use == FileUse::read ? Role::input : Role::output; }

FileUse use_of_fact(const ToolDialogue& d, const FileFact& f) {
    if (f.question != nullptr) {
        const Question* q = question_of(d, f.question);
        return q != nullptr ? q->file : FileUse::none;
    }
    return d.about.fixed_files[static_cast<std::size_t>(f.fixed)].use;
}

// The names a fact stands for with the answers given.
std::vector<std::string> names_of(const ToolDialogue& d, const FileFact& f) {
    if (f.used && !f.used()) return {};
    if (f.question != nullptr) {
        const Question* q = question_of(d, f.question);
        if (auto* name = q != nullptr ? std::get_if<std::string*>(&q->field) : nullptr) return {**name};
        return {};
    }
    if (f.series_names) return f.series_names();
    if (f.pattern != nullptr) return {f.names.begin(), f.names.end()};
    return {d.about.fixed_files[static_cast<std::size_t>(f.fixed)].name};
}

// A series' rule ("n4-5_{level}dB.img") matches a name with the same text
// before the braces and after them.
bool matches_pattern(const char* pattern, const std::string& name) {
    const char* open = std::strchr(pattern, '{');
    const char* close = open != nullptr ? std::strchr(open, '}') : nullptr;
    if (close == nullptr) return name == pattern;
    const std::string prefix(pattern, open), suffix(close + 1);
    return name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix);
}

const FileFact* fact_of(const Recorder& r, const std::string& name, Role role) {
    for (const PlannedFile& p : r.planned)
        if (p.name == name && p.role == role) return p.fact;
    if (r.dialogue == nullptr) return nullptr;
    for (const FileFact& f : r.dialogue->files)
        if (f.pattern != nullptr && matches_pattern(f.pattern, name) && role_of(use_of_fact(*r.dialogue, f)) == role)
            return &f;
    return nullptr;
}

// What a fact says of a file: format, shape, quantity, a table's abscissa.
void describe(Json& event, const ToolDialogue& d, const FileFact& f) {
    event["format"] = format_name(f.format);
    if (f.format == FileFormat::raw && f.shape.size() == 2) {
        const auto rows = extent_value(d, f.shape[0]), columns = extent_value(d, f.shape[1]);
        if (rows && columns) {
            event["rows"] = *rows;
            event["columns"] = *columns;
        }
    }
    if (f.quantity.name != nullptr) {
        event["quantity"] = f.quantity.name;
        event["unit"] = f.quantity.unit;
    }
    if (f.quantity.like_input) event["like"] = "input";
    if (f.pixel_cm) event["pixel_length_cm"] = f.pixel_cm();
    if (f.layout == TableLayout::column && f.axis) {
        const TableAxis axis = f.axis();
        event["layout"] = "column";
        event["axis"] = {{"quantity", axis.quantity}, {"unit", axis.unit}, {"start", axis.start}, {"step", axis.step}};
    } else if (f.layout == TableLayout::grid || f.layout == TableLayout::columns) {
        event["layout"] = f.layout == TableLayout::grid ? "grid" : "columns";
        event["axis"] = {{"quantity", f.grid_axis.quantity}, {"unit", f.grid_axis.unit}};
    }
}

bool is_run_file(const Recorder& r, const std::string& path) {
    for (const PlannedFile& p : r.planned)
        if (same_file(path, p.name)) return true;
    return false;
}

Json file_event(const Recorder& r, const std::string& name, Role role) {
    Json event = {{"event", "file"}, {"name", name}, {"role", role == Role::input ? "input" : "output"}};
    const FileFact* f = r.dialogue != nullptr ? fact_of(r, name, role) : nullptr;
    if (f != nullptr) describe(event, *r.dialogue, *f);
    if (f != nullptr && f->format == FileFormat::raw && f->shape.empty() && r.inside_rows >= 0) {
        event["rows"] = r.inside_rows;
        event["columns"] = r.inside_columns;
    }
    return event;
}

}  // namespace

void record_to_environment_file() {
    const char* path = std::getenv("CT_EVENTS");
    if (path == nullptr || *path == '\0') return;
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    close_stream(r);
    r.pending_path = path;
    r.held.clear();
    r.holding = true;
}

void record_to(std::FILE* stream) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    close_stream(r);
    r.holding = false;
    r.stream = stream;
    r.owns_stream = false;
}

void stop_recording() {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    open_pending(r);  // a run that ended before its files were known keeps its events too
    close_stream(r);
    r.pending_path.clear();
    r.held.clear();
    r.holding = false;
    r.path.clear();
    r.dialogue = nullptr;
    r.planned.clear();
    r.failure_file.clear();
    r.failure_kind = nullptr;
    r.failure_bytes.reset();
    r.last_stage.clear();
    r.last_percent = -1;
    r.inside_rows = r.inside_columns = -1;
}

bool recording() {
    const Recorder& r = recorder();
    return r.stream != nullptr || r.holding;
}

void start(const ToolDialogue& dialogue, const char* version) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    r.dialogue = &dialogue;
    emit(r, {{"event", "start"},
             {"schema", schema_version},
             {"tool", dialogue.about.name},
             {"version", version},
             {"language", language_code()}});
}

void answer(const Answer& a) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    if (r.stream == nullptr && !r.holding) return;
    Json event = {{"event", "answer"}, {"number", a.number}, {"keyword", a.question->keyword}};
    event["line"] = a.line ? Json(*a.line) : Json(nullptr);
    if (auto* name = std::get_if<std::string*>(&a.question->field)) event["value"] = **name;
    if (auto* integer = std::get_if<std::int32_t*>(&a.question->field)) event["value"] = **integer;
    if (auto* real = std::get_if<double*>(&a.question->field)) event["value"] = **real;  // null when not finite
    event["default"] = !a.line || a.line->empty();
    if (a.problem != nullptr) {
        event["warning"] = {{"kind", answer_problem_kind(a.problem)}, {"text", trimmed_message(a.warning)}};
    }
    emit(r, event);
}

void files_planned(bool report) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    if (r.dialogue == nullptr) return;
    r.planned.clear();
    for (const FileFact& f : r.dialogue->files) {
        const Role role = role_of(use_of_fact(*r.dialogue, f));
        for (std::string& name : names_of(*r.dialogue, f)) r.planned.push_back({std::move(name), &f, role});
    }
    open_pending(r);
    if (!report) return;
    for (const PlannedFile& p : r.planned) {
        Json event = {{"event", "file"}, {"name", p.name}, {"role", p.role == Role::input ? "input" : "output"}};
        describe(event, *r.dialogue, *p.fact);
        event["planned"] = true;
        // A series named by the answers: the run's own events say which it writes.
        if (p.fact->named_by_run) event["from_answers"] = true;
        if (p.role == Role::input) {
            const std::int64_t bytes = file_size_by_name(p.name);
            event["exists"] = bytes >= 0;
            if (bytes >= 0) event["bytes"] = bytes;
        } else if (event.contains("rows") && event.contains("columns")) {
            const std::int64_t rows = event["rows"], columns = event["columns"];
            if (rows >= 0 && columns >= 0) event["bytes"] = rows * columns * static_cast<std::int64_t>(sizeof(float));
        }
        emit(r, event);
    }
}

void file(const std::string& name, Role role, std::int64_t bytes) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    if (r.stream == nullptr && !r.holding) return;
    Json event = file_event(r, name, role);
    if (bytes >= 0) event["bytes"] = bytes;
    emit(r, event);
}

void file(const std::string& name, Role role, std::int64_t bytes, const FileInside& inside) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    if (inside.rows >= 0 && inside.columns >= 0) {
        r.inside_rows = inside.rows;
        r.inside_columns = inside.columns;
    }
    if (r.stream == nullptr && !r.holding) return;
    Json event = file_event(r, name, role);
    if (inside.rows >= 0 && inside.columns >= 0) {
        event["rows"] = inside.rows;
        event["columns"] = inside.columns;
    }
    if (bytes >= 0) event["bytes"] = bytes;
    if (inside.iteration >= 0) event["iteration"] = inside.iteration;
    if (!inside.header.empty()) {
        Json header = Json::object();
        for (const HeaderFact& h : inside.header)
            std::visit([&](const auto& value) { header[h.key] = value; }, h.value);
        event["header"] = header;
    }
    emit(r, event);
}

void progress(const char* stage, std::int64_t done, std::int64_t total) { progress(stage, done, total, {}); }

void progress(const char* stage, std::int64_t done, std::int64_t total, std::initializer_list<Measure> measures) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    if (r.stream == nullptr && !r.holding) return;
    // At most a hundred events a stage: a host draws a bar, not every row.
    const std::int64_t percent = total > 0 ? done * 100 / total : 100;
    if (stage == r.last_stage && percent == r.last_percent && done != total) return;
    r.last_stage = stage;
    r.last_percent = percent;
    Json event = {{"event", "progress"}, {"stage", stage}, {"done", done}, {"total", total}};
    for (const Measure& m : measures) event[m.name] = std::isfinite(m.value) ? Json(m.value) : Json(nullptr);
    emit(r, event);
}

WarningEvent warning_event(const Message& message) {
    return {message.kind() != nullptr ? message.kind() : "warning", trimmed_message(message.utf8())};
}

void warning(const Message& message) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    const WarningEvent w = warning_event(message);
    emit(r, {{"event", "warning"}, {"kind", w.kind}, {"text", w.text}});
}

void failure_file(const std::string& name, const char* kind) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    r.failure_file = name;
    r.failure_kind = kind;
}

void failure_bytes(long double bytes) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    r.failure_bytes = bytes;
}

void end(int exit_status) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    emit(r, {{"event", "end"}, {"exit", exit_status}});
    open_pending(r);
}

void end_failed(const char* kind, const Message& message) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    Json cause = {{"kind", kind}};
    if (!r.failure_file.empty()) cause["file"] = r.failure_file;
    if (r.failure_bytes) cause["bytes"] = static_cast<double>(*r.failure_bytes);
    cause["message"] = trimmed_message(message.utf8());
    emit(r, {{"event", "end"}, {"exit", 1}, {"cause", cause}});
    open_pending(r);
}

const char* failure_kind(const Failure& failure) {
    switch (failure.kind()) {
        case FailureKind::memory: return "not_enough_memory";
        case FailureKind::value: return "bad_value";
        case FailureKind::file: {
            const char* noted = recorder().failure_kind;
            return noted != nullptr ? noted : "file";
        }
    }
    return "failure";
}

}  // namespace run_events
