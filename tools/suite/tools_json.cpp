#include "tools/suite/tools_json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "common/language.h"
#include "common/tool_start.h"
#include "tools/dicom/hounsfield.h"

namespace {

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string quoted_or_null(const char* text) { return text == nullptr ? "null" : quoted(text); }

// A text the programs show, by language: the Japanese of the source and its
// English form from the catalogues (the text itself when it has none).
std::string localized(const char* ja) {
    const char* en = english_of(ja);
    return "{\"ja\": " + quoted(ja) + ", \"en\": " + quoted(en != nullptr ? en : ja) + "}";
}

// The shortest decimal that reads back as the same double, always with a
// point or an exponent so that a reader sees a real. (printf rather than
// to_chars: the WebAssembly build's C++ library has no to_chars for doubles.)
std::string real_number(double value) {
    char text[40];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.1f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    std::string number(text);
    if (number.find_first_of(".en") == std::string::npos) number += ".0";
    return number;
}

const char* kind_of(const Question& q) {
    if (std::holds_alternative<std::int32_t*>(q.field)) return "integer";
    if (std::holds_alternative<double*>(q.field)) return "real";
    return "name";
}

const char* use_of(FileUse use) {
    if (use == FileUse::read) return "read";
    if (use == FileUse::written) return "written";
    return nullptr;
}

std::string default_value(const Question& q) {
    if (auto* name = std::get_if<const char*>(&q.initial)) return quoted(*name);
    if (auto* integer = std::get_if<std::int32_t>(&q.initial)) return std::to_string(*integer);
    return real_number(std::get<double>(q.initial));
}

template <typename Items, typename Each>
std::string list(const Items& items, const char* separator, Each&& each) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : separator) + each(item);
    return out;
}

std::string question_json(const Question& q, int number) {
    return "{\"number\": " + std::to_string(number) + ", \"keyword\": " + quoted(q.keyword) + ", \"kind\": " +
           quoted(kind_of(q)) + ", \"file\": " + quoted_or_null(use_of(q.file)) +
           ", \"default\": " + default_value(q) + ", \"default_text\": " + quoted(default_text(q)) +
           ", \"label\": " + localized(q.label) + "}";
}

std::string file_json(const SuiteProgram& program, const FileFact& f) {
    const ToolDescription& about = program.dialogue.about;
    std::string out = "{";
    FileUse use = FileUse::none;
    if (f.question != nullptr) {
        int number = 0;
        use = question_of(program.dialogue, f.question, &number)->file;
        out += "\"question\": " + std::to_string(number);
    } else {
        const FixedFile& fixed = about.fixed_files[static_cast<std::size_t>(f.fixed)];
        use = fixed.use;
        if (f.pattern != nullptr) {
            out += "\"pattern\": " + quoted(f.pattern) + ", \"names\": [" +
                   list(f.names, ", ", [](const char* name) { return quoted(name); }) + "]";
            // Names that follow other answers (an output's stem, an interval):
            // `names` are the defaults' only, and a run's events say which.
            if (f.named_by_run) out += ", \"from_answers\": true";
            if (f.count != nullptr) {
                int number = 0;
                question_of(program.dialogue, f.count, &number);
                out += ", \"count\": " + std::to_string(number);
            }
        } else {
            out += "\"name\": " + quoted(fixed.name);
        }
        out += ", \"about\": " + localized(fixed.about);
    }
    out += ", \"use\": " + quoted(use_of(use)) + ", \"format\": " + quoted(format_name(f.format));
    if (f.used_when_answer.keyword != nullptr) {
        int number = 0;
        question_of(program.dialogue, f.used_when_answer.keyword, &number);
        out += ", \"used_when\": {\"question\": " + std::to_string(number) + ", \"values\": [" +
               list(f.used_when_answer.values, ", ", [](std::int32_t v) { return std::to_string(v); }) + "]}";
    }
    if (!f.shape.empty()) {
        out += ", \"shape\": [" + list(f.shape, ", ", [](const Extent& e) {
                   return e.keyword != nullptr ? quoted(e.keyword) : std::to_string(e.count);
               }) +
               "]";
    }
    if (f.quantity.name != nullptr) {
        out += ", \"quantity\": " + quoted(f.quantity.name) + ", \"unit\": " + quoted(f.quantity.unit);
    }
    if (f.quantity.like_input) out += ", \"like\": \"input\"";
    if (f.layout != TableLayout::none) {
        // A column table's abscissa depends on the answers: its quantity here, its values in the run's events.
        const TableAxis axis = f.layout == TableLayout::column ? f.axis() : f.grid_axis;
        const char* layout = f.layout == TableLayout::grid ? "grid" : f.layout == TableLayout::columns ? "columns"
                                                                                                       : "column";
        out += ", \"layout\": " + quoted(layout) +
               ", \"axis\": {\"quantity\": " + quoted(axis.quantity) + ", \"unit\": " + quoted(axis.unit) + "}";
    }
    return out + "}";
}

std::string program_json(const SuiteProgram& program) {
    const ToolDescription& about = program.dialogue.about;
    int number = 0;
    const std::string questions = list(program.dialogue.questions, ",\n        ", [&](const Question& q) {
        return question_json(q, ++number);
    });
    const std::string files =
        list(program.dialogue.files, ",\n        ", [&](const FileFact& f) { return file_json(program, f); });
    return "{\n      \"name\": " + quoted(about.name) + ",\n      \"title\": " + localized(about.title) +
           ",\n      \"summary\": " + localized(about.summary) +
           ",\n      \"label_width\": {\"ja\": " + std::to_string(about.label_width) + ", \"en\": " +
           std::to_string(label_width_in(Language::english, about.label_width, program.dialogue.questions)) + "}" +
           ",\n      \"threads\": " + (program.threads ? "true" : "false") +
           ",\n      \"row_shares\": " + (program.row_shares ? "true" : "false") + ",\n      \"see_also\": [" +
           list(program.see_also, ", ", [](const char* name) { return quoted(name); }) + "]" +
           ",\n      \"example\": " + quoted(about.example) +
           ",\n      \"demo_answers\": " + quoted_or_null(about.demo_answers) +
           ",\n      \"questions\": [\n        " + questions + "\n      ]" +
           ",\n      \"files\": [\n        " + files + "\n      ]\n    }";
}

// The named HU windows that raw_to_png's "window" answer takes, for hosts
// that offer them in a menu.
std::string presets_json() {
    return list(window_presets(), ",\n    ", [](const WindowPreset& p) {
        return "{\"name\": " + quoted(p.name) + ", \"label\": " + localized(p.label) +
               ", \"centre\": " + real_number(p.centre) + ", \"width\": " + real_number(p.width) + "}";
    });
}

}  // namespace

std::string tools_json(const std::vector<SuiteProgram>& programs, const char* version) {
    return "{\n  \"suite\": \"ct_teaching_tools\",\n  \"version\": " + quoted(version) +
           ",\n  \"programs\": [\n    " + list(programs, ",\n    ", program_json) + "\n  ]" +
           ",\n  \"window_presets\": [\n    " + presets_json() + "\n  ]\n}\n";
}
