#include "common/dialogue.h"

#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "common/console_text.h"

namespace {

// Reads one answer line of at most 255 bytes (the line end included when it
// fits). False when the input has ended or failed: nothing was answered.
bool read_answer(std::FILE* in, char (&line)[answer_buffer_size]) {
    if (std::feof(in) || std::ferror(in)) return false;
    return std::fgets(line, answer_buffer_size, in) != nullptr;
}

void write_question(DialogueStreams io, const std::string& padded_label, const char* value_format, ...)
    __attribute__((format(printf, 3, 4)));

void write_question(DialogueStreams io, const std::string& padded_label, const char* value_format, ...) {
    const std::string label = console_encoding_of(io.out, padded_label);
    std::fprintf(io.out, " %s [", label.c_str());
    va_list args;
    va_start(args, value_format);
    std::vfprintf(io.out, value_format, args);
    va_end(args);
    std::fputs("] :", io.out);
    std::fflush(io.out);  // the question must be visible before the tool waits
}

}  // namespace

std::int32_t integer_answer(const char* line) {
    const long value = std::strtol(line, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

double real_answer(const char* line) { return std::strtod(line, nullptr); }

void show_title(const char* title, DialogueStreams io) {
    std::fprintf(io.out, "\n%s\n\n", console_encoding_of(io.out, title).c_str());
}

void ask_name(const std::string& padded_label, std::string& field, DialogueStreams io) {
    write_question(io, padded_label, "%s", field.c_str());
    char line[answer_buffer_size];
    if (!read_answer(io.in, line) || line[0] == '\n') return;
    std::size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] == '\n') --length;
    field.assign(line, length);
}

void ask_int(const std::string& padded_label, std::int32_t& field, DialogueStreams io) {
    write_question(io, padded_label, "%d", field);
    char line[answer_buffer_size];
    if (!read_answer(io.in, line) || line[0] == '\n') return;
    field = integer_answer(line);
}

void ask_real(const std::string& padded_label, double& field, DialogueStreams io) {
    write_question(io, padded_label, "%f", field);
    char line[answer_buffer_size];
    if (!read_answer(io.in, line) || line[0] == '\n') return;
    field = real_answer(line);
}

void apply_defaults(const std::vector<Question>& questions) {
    for (const Question& q : questions) {
        if (auto* name = std::get_if<std::string*>(&q.field)) **name = std::get<const char*>(q.initial);
        if (auto* integer = std::get_if<std::int32_t*>(&q.field)) **integer = std::get<std::int32_t>(q.initial);
        if (auto* real = std::get_if<double*>(&q.field)) **real = std::get<double>(q.initial);
    }
}

void run_dialogue(const ToolDialogue& dialogue, DialogueStreams io) {
    run_dialogue(dialogue.about.title, dialogue.about.label_width, dialogue.questions, io);
}

void run_dialogue(const char* title, int label_width, const std::vector<Question>& questions,
                  DialogueStreams io) {
    apply_defaults(questions);
    show_title(title, io);
    for (const Question& q : questions) {
        const std::string label = pad_to_columns(q.label, static_cast<std::size_t>(label_width));
        if (auto* name = std::get_if<std::string*>(&q.field)) ask_name(label, **name, io);
        if (auto* integer = std::get_if<std::int32_t*>(&q.field)) ask_int(label, **integer, io);
        if (auto* real = std::get_if<double*>(&q.field)) ask_real(label, **real, io);
    }
}
