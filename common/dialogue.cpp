#include "common/dialogue.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "common/console_text.h"
#include "common/language.h"
#include "common/run_events.h"

namespace {

std::string bare_label(const std::string& padded_label);

// Reads one answer line of at most 255 bytes (the line end included when it
// fits), a CR LF pair counting as the LF alone. False when the input has
// ended or failed: nothing was answered. `cut` tells whether the answer
// filled all 255 bytes with more of its line still to come: that rest,
// even a line end alone, becomes the next question's answer.
bool read_answer(std::FILE* in, char (&line)[answer_buffer_size], bool& cut) {
    cut = false;
    if (std::feof(in) || std::ferror(in)) return false;
    int used = 0;
    while (used < answer_buffer_size - 1) {
        int c = std::getc(in);
        if (c == EOF) break;
        if (c == '\r') {
            const int next = std::getc(in);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, in);
            }
        }
        line[used++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    line[used] = '\0';
    if (used == answer_buffer_size - 1 && line[used - 1] != '\n') {
        const int next = std::getc(in);
        if (next != EOF) {
            std::ungetc(next, in);
            cut = true;
        }
    }
    return used > 0;
}

// The problem of an answer that filled its buffer, and its warning: the
// answer is taken as it stands, but the next question is answered by the
// rest of the line, which a person would not expect (an answer of exactly
// 255 bytes leaves its line end, and the next question keeps its default).
const char line_full_problem[] = "答えの枠を使い切りました";

std::string line_full_warning_text(const std::string& padded_label) {
    return text_format(
        " 警告：「%s」への答えは 255 バイトの枠を使い切りました。"
        "行の残り（行末だけでも）は次の質問への答えとして読まれます。\n",
        bare_label(padded_label).c_str());
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// True when nothing but blanks follows `rest`.
bool only_blanks(const char* rest) {
    while (*rest != '\0' && is_blank(*rest)) ++rest;
    return *rest == '\0';
}

// The answer as typed, without its line end, for a warning.
std::string typed(const char* line) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

// The label without the padding and the leading blank, for a warning.
std::string bare_label(const std::string& padded_label) {
    const std::size_t first = padded_label.find_first_not_of(' ');
    const std::size_t last = padded_label.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : padded_label.substr(first, last - first + 1);
}

void warn_answer(DialogueStreams io, const std::string& padded_label, const char* line, const char* problem,
                 const std::string& used) {
    if (io.err == nullptr) return;
    if (io.out != nullptr) std::fflush(io.out);
    // The answer is echoed in the bytes the user typed.
    console_printf(io.err, " 警告：「%s」への答え[%s]は%s。%s として使います。\n",
                   console_encoding_of(io.err, bare_label(padded_label)).c_str(), typed(line).c_str(),
                   console_encoding_of(io.err, in_language(problem)).c_str(), used.c_str());
}

// A warning already in UTF-8 and in the run's language, on the console.
void warn_text(DialogueStreams io, const std::string& utf8_warning) {
    if (io.err == nullptr) return;
    if (io.out != nullptr) std::fflush(io.out);
    std::fputs(console_encoding_of(io.err, utf8_warning).c_str(), io.err);
}

// The same warning in UTF-8, for the run's events.
std::string answer_warning_text(const std::string& padded_label, const char* line, const char* problem,
                                const std::string& used) {
    return text_format(" 警告：「%s」への答え[%s]は%s。%s として使います。\n", bare_label(padded_label).c_str(),
                       typed(line).c_str(), in_language(problem), used.c_str());
}

// The shortest decimal form that reads back as the same double.
std::string shortest(double value) {
    char text[40];
    for (int digits = 6; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value || std::isnan(value)) break;
    }
    return text;
}

void write_question(DialogueStreams io, const std::string& padded_label, const char* value_format, ...)
    CT_PRINTF_FORMAT(3, 4);

void write_question(DialogueStreams io, const std::string& padded_label, const char* value_format, ...) {
    if (io.out == nullptr) return;  // a dialogue shown nowhere (--check-answers)
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

const char* integer_answer_problem(const char* line) {
    if (only_blanks(line)) return "空白だけです";
    char* rest = nullptr;
    errno = 0;
    const long value = std::strtol(line, &rest, 10);
    if (rest == line) return "数ではありません";
    if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) return "32ビットの整数の範囲を超えています";
    if (*rest == '.' || *rest == 'e' || *rest == 'E') {
        // A fraction or an exponent typed for an integer: the digits before it count.
        char* real_end = nullptr;
        std::strtod(line, &real_end);
        if (real_end > rest && only_blanks(real_end)) return "整数ではありません";
    }
    if (!only_blanks(rest)) return "数の後に余分な文字があります";
    return nullptr;
}

const char* real_answer_problem(const char* line) {
    if (only_blanks(line)) return "空白だけです";
    char* rest = nullptr;
    const double value = std::strtod(line, &rest);
    if (rest == line) return "数ではありません";
    if (std::isinf(value)) return "有限の実数ではありません（範囲を超えたか無限大）";
    if (std::isnan(value)) return "有限の実数ではありません（非数）";
    if (!only_blanks(rest)) return "数の後に余分な文字があります";
    return nullptr;
}

const char* answer_problem_kind(const char* problem) {
    static const struct {
        const char* problem;
        const char* kind;
    } kinds[] = {{"空白だけです", "blank"},
                 {"数ではありません", "not_a_number"},
                 {"32ビットの整数の範囲を超えています", "out_of_range"},
                 {"整数ではありません", "not_an_integer"},
                 {"数の後に余分な文字があります", "trailing_text"},
                 {"有限の実数ではありません（範囲を超えたか無限大）", "not_finite"},
                 {"有限の実数ではありません（非数）", "not_finite"},
                 {line_full_problem, "line_full"}};
    for (const auto& k : kinds)
        if (problem != nullptr && std::strcmp(problem, k.problem) == 0) return k.kind;
    return "other";
}

void show_title(const char* title, DialogueStreams io) {
    if (io.out == nullptr) return;
    std::fprintf(io.out, "\n%s\n\n", console_encoding_of(io.out, in_language(title)).c_str());
}

AnswerTaken ask_name(const std::string& padded_label, std::string& field, DialogueStreams io, const AnswerHeard& heard) {
    write_question(io, padded_label, "%s", field.c_str());
    char line[answer_buffer_size];
    AnswerTaken taken;
    bool cut = false;
    if (read_answer(io.in, line, cut)) {
        if (line[0] != '\n') {
            std::size_t length = std::strlen(line);
            if (length > 0 && line[length - 1] == '\n') --length;
            field.assign(line, length);
        }
        taken.line = typed(line);
        if (cut) {
            taken.problem = line_full_problem;
            taken.warning = line_full_warning_text(padded_label);
        }
    }
    if (heard) heard(taken);
    if (cut) warn_text(io, taken.warning);
    return taken;
}

namespace {

// A number's answer: read, converted and checked; the host hears of it
// before the console shows its warning, in the order a person at the
// console sees the two.
template <typename Number>
AnswerTaken ask_number(const std::string& padded_label, Number& field, DialogueStreams io, const AnswerHeard& heard,
                       const char* shown_format, Number (*convert)(const char*),
                       const char* (*problem_of)(const char*), std::string (*used_text)(Number)) {
    write_question(io, padded_label, shown_format, field);
    char line[answer_buffer_size];
    AnswerTaken taken;
    std::string used;
    bool cut = false;
    if (read_answer(io.in, line, cut)) {
        taken.line = typed(line);
        if (line[0] != '\n') {
            field = convert(line);
            if ((taken.problem = problem_of(line)) != nullptr) {
                used = used_text(field);
                taken.warning = answer_warning_text(padded_label, line, taken.problem, used);
            }
        }
    }
    // A cut line matters more than how its first 255 bytes read as a number:
    // it changes the answers of the questions that follow.
    if (cut) {
        taken.problem = line_full_problem;
        taken.warning = line_full_warning_text(padded_label);
    }
    if (heard) heard(taken);
    if (cut) {
        warn_text(io, taken.warning);
    } else if (taken.problem != nullptr) {
        warn_answer(io, padded_label, line, taken.problem, used);
    }
    return taken;
}

std::string integer_text(std::int32_t value) { return std::to_string(value); }

}  // namespace

AnswerTaken ask_int(const std::string& padded_label, std::int32_t& field, DialogueStreams io, const AnswerHeard& heard) {
    return ask_number<std::int32_t>(padded_label, field, io, heard, "%d", integer_answer, integer_answer_problem,
                                    integer_text);
}

AnswerTaken ask_real(const std::string& padded_label, double& field, DialogueStreams io, const AnswerHeard& heard) {
    return ask_number<double>(padded_label, field, io, heard, "%f", real_answer, real_answer_problem, shortest);
}

const Question* question_of(const ToolDialogue& dialogue, const char* keyword, int* number) {
    for (std::size_t i = 0; i < dialogue.questions.size(); ++i) {
        if (std::strcmp(dialogue.questions[i].keyword, keyword) != 0) continue;
        if (number != nullptr) *number = static_cast<int>(i) + 1;
        return &dialogue.questions[i];
    }
    return nullptr;
}

void apply_defaults(const std::vector<Question>& questions) {
    for (const Question& q : questions) {
        if (auto* name = std::get_if<std::string*>(&q.field)) **name = std::get<const char*>(q.initial);
        if (auto* integer = std::get_if<std::int32_t*>(&q.field)) **integer = std::get<std::int32_t>(q.initial);
        if (auto* real = std::get_if<double*>(&q.field)) **real = std::get<double>(q.initial);
    }
}

int label_width_in(Language language, int japanese_width, const std::vector<Question>& questions) {
    if (language == Language::japanese) return japanese_width;
    // The English labels keep the margin the Japanese ones have beyond
    // their longest label, so the brackets line up as they do in Japanese.
    std::size_t longest_japanese = 0, longest_english = 0;
    for (const Question& q : questions) {
        const char* english = english_of(q.label);
        longest_japanese = std::max(longest_japanese, display_columns(q.label));
        longest_english = std::max(longest_english, display_columns(english != nullptr ? english : q.label));
    }
    const int margin = std::max(0, japanese_width - static_cast<int>(longest_japanese));
    return static_cast<int>(longest_english) + margin;
}

void run_dialogue(const ToolDialogue& dialogue, DialogueStreams io) {
    run_dialogue(dialogue.about.title, dialogue.about.label_width, dialogue.questions, io);
}

void run_dialogue(const char* title, int label_width, const std::vector<Question>& questions,
                  DialogueStreams io) {
    apply_defaults(questions);
    show_title(title, io);
    const int width = label_width_in(text_language(), label_width, questions);
    int number = 0;
    for (const Question& q : questions) {
        const std::string label = pad_to_columns(in_language(q.label), static_cast<std::size_t>(width));
        ++number;
        const AnswerHeard heard = [&](const AnswerTaken& taken) {
            run_events::answer({number, &q, taken.line, taken.problem, taken.warning});
        };
        if (auto* name = std::get_if<std::string*>(&q.field)) ask_name(label, **name, io, heard);
        if (auto* integer = std::get_if<std::int32_t*>(&q.field)) ask_int(label, **integer, io, heard);
        if (auto* real = std::get_if<double*>(&q.field)) ask_real(label, **real, io, heard);
    }
}
