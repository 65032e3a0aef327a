#include "python/calls.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <variant>

#include "common/language.h"

namespace {

bool taken_from_shape(const std::vector<std::string>& from_shapes, const std::string& keyword) {
    return std::find(from_shapes.begin(), from_shapes.end(), keyword) != from_shapes.end();
}

// The questions a function takes as keywords, in table order.
std::vector<const Question*> keyword_questions(const ToolDialogue& dialogue,
                                               const std::vector<std::string>& from_shapes) {
    std::vector<const Question*> questions;
    for (const Question& q : dialogue.questions) {
        if (q.file == FileUse::none && !taken_from_shape(from_shapes, q.keyword)) questions.push_back(&q);
    }
    return questions;
}

std::string default_text(const Question& q) {
    if (auto* integer = std::get_if<std::int32_t>(&q.initial)) return std::to_string(*integer);
    if (auto* real = std::get_if<double>(&q.initial)) return py::repr(py::float_(*real)).cast<std::string>();
    return py::repr(py::str(std::get<const char*>(q.initial))).cast<std::string>();
}

std::int32_t integer_keyword(const char* function, const char* keyword, py::handle value) {
    // bool is an int in Python, but True as a size is a mistake.
    if (py::isinstance<py::bool_>(value) || !py::hasattr(value, "__index__")) {
        throw py::type_error(std::string(function) + "(): " + keyword + " must be an integer, got " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    }
    const py::int_ integer = value.attr("__index__")();
    const long long wide = integer.cast<long long>();
    if (wide < std::numeric_limits<std::int32_t>::min() || wide > std::numeric_limits<std::int32_t>::max()) {
        throw py::value_error(std::string(function) + "(): " + keyword + " must fit in 32 bits, got " +
                              std::to_string(wide));
    }
    return static_cast<std::int32_t>(wide);
}

double real_keyword(const char* function, const char* keyword, py::handle value) {
    if (py::isinstance<py::bool_>(value) || py::isinstance<py::str>(value) || !py::hasattr(value, "__float__")) {
        throw py::type_error(std::string(function) + "(): " + keyword + " must be a real number, got " +
                             py::str(py::type::of(value).attr("__name__")).cast<std::string>());
    }
    return value.attr("__float__")().cast<double>();
}

}  // namespace

void answer_from_keywords(const char* function, const ToolDialogue& dialogue, const py::kwargs& keywords,
                          const std::vector<std::string>& from_shapes) {
    apply_defaults(dialogue.questions);
    const std::vector<const Question*> questions = keyword_questions(dialogue, from_shapes);
    for (auto [key, value] : keywords) {
        const std::string keyword = py::str(key);
        const auto found =
            std::find_if(questions.begin(), questions.end(), [&](const Question* q) { return keyword == q->keyword; });
        if (found == questions.end()) {
            std::string message = std::string(function) + "() got an unexpected keyword argument '" + keyword + "'";
            if (taken_from_shape(from_shapes, keyword)) message += " (it comes from the array's shape)";
            throw py::type_error(message);
        }
        const Question& q = **found;
        if (auto* integer = std::get_if<std::int32_t*>(&q.field))
            **integer = integer_keyword(function, q.keyword, value);
        if (auto* real = std::get_if<double*>(&q.field)) **real = real_keyword(function, q.keyword, value);
        if (auto* text = std::get_if<std::string*>(&q.field)) {
            if (!py::isinstance<py::str>(value)) {
                throw py::type_error(std::string(function) + "(): " + q.keyword + " must be a str, got " +
                                     py::str(py::type::of(value).attr("__name__")).cast<std::string>());
            }
            **text = value.cast<std::string>();
        }
    }
}

void require_side(std::int32_t value, const char* keyword) {
    if (value < 0) throw py::value_error(std::string(keyword) + " must be 0 or more, got " + std::to_string(value));
}

void raise_failure(const Failure& failure) {
    PyObject* type = PyExc_ValueError;
    if (failure.kind() == FailureKind::file) type = PyExc_OSError;
    if (failure.kind() == FailureKind::memory) type = PyExc_MemoryError;
    PyErr_SetString(type, failure.what());
    throw py::error_already_set();
}

void emit_warnings(const std::vector<run_events::WarningEvent>& warnings) {
    for (const run_events::WarningEvent& w : warnings) {
        if (PyErr_WarnEx(PyExc_UserWarning, w.text.c_str(), 1) != 0) throw py::error_already_set();
    }
}

std::mutex& random_state_lock() {
    static std::mutex lock;
    return lock;
}

std::optional<std::int32_t>& chosen_noise_seed() {
    thread_local std::optional<std::int32_t> seed;
    return seed;
}

std::optional<std::int32_t> seed_keyword(const char* function, py::kwargs& keywords) {
    if (!keywords.contains("seed")) return std::nullopt;
    const py::object value = keywords["seed"];
    PyDict_DelItemString(keywords.ptr(), "seed");
    if (value.is_none()) return std::nullopt;
    // The generator's seeds: 0 and the modulus 2147483647 would start no sequence of their own.
    const std::int32_t seed = integer_keyword(function, "seed", value);
    if (seed < 1 || seed > 2147483646) {
        throw py::value_error(std::string(function) + "(): seed must be None or from 1 to 2147483646, got " +
                              std::to_string(seed));
    }
    return seed;
}

void start_noise(std::optional<std::int32_t> seed) {
    if (seed) {
        restart_random_program_state(*seed);
    } else {
        reset_random_program_state();
    }
}

// Docstrings are English, whatever CT_LANG says when the module is imported.
static std::string english_or_same(const char* text) {
    const char* english = english_of(text);
    return english != nullptr ? english : text;
}

std::string function_doc(const FunctionSignature& signature, const ToolDialogue& dialogue) {
    // "name(arguments)\n--\n\n" lets inspect.signature and help() show the
    // keywords and their defaults.
    // A bare "*" with no keyword after it is no valid signature.
    std::vector<std::string> keywords;
    for (const Question* q : keyword_questions(dialogue, signature.from_shapes)) {
        keywords.push_back(std::string(q->keyword) + "=" + default_text(*q));
    }
    if (signature.draws_noise) keywords.push_back("seed=None");
    std::string parameters = signature.input != nullptr ? signature.input : "";
    if (!keywords.empty()) parameters += parameters.empty() ? "*" : ", *";
    for (const std::string& keyword : keywords) parameters += ", " + keyword;
    std::string doc = std::string(signature.name) + "(" + parameters + ")\n--\n\n";
    doc += signature.about;
    if (signature.draws_noise) {
        doc +=
            "\nseed: None draws the noise the tool draws; an integer from 1 to 2147483646 starts the\n"
            "generator from that seed instead";
        doc += signature.input == nullptr ? " (in place of the pattern number)." : ".";
    }
    doc += "\n\n";
    doc += english_or_same(dialogue.about.title);
    doc += "\n";
    doc += english_or_same(dialogue.about.summary);
    return doc;
}

py::object input_argument(const FunctionSignature& signature, const py::args& args, py::kwargs& keywords) {
    const std::size_t allowed = signature.input == nullptr ? 0 : 1;
    if (args.size() > allowed) {
        throw py::type_error(std::string(signature.name) + "() takes " + std::to_string(allowed) +
                             " positional argument" + (allowed == 1 ? "" : "s") + " but " +
                             std::to_string(args.size()) + " were given");
    }
    if (signature.input == nullptr) return py::none();
    if (args.size() == 1) {
        if (keywords.contains(signature.input)) {
            throw py::type_error(std::string(signature.name) + "() got multiple values for argument '" +
                                 signature.input + "'");
        }
        return args[0];
    }
    if (!keywords.contains(signature.input)) {
        throw py::type_error(std::string(signature.name) + "() missing required argument '" + signature.input + "'");
    }
    py::object input = keywords[signature.input];
    PyDict_DelItemString(keywords.ptr(), signature.input);
    return input;
}

py::object result_type(py::module_& m, const char* name, std::initializer_list<const char*> fields) {
    py::list names;
    for (const char* field : fields) names.append(field);
    py::object type = py::module_::import("collections").attr("namedtuple")(name, names);
    type.attr("__module__") = m.attr("__name__");
    m.attr(name) = type;
    return type;
}
