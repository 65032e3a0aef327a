#pragma once
// The parameter dialogue that opens every tool: a title, then one question
// per parameter with its current value in brackets; Enter keeps the value.
//
// A tool declares its questions as data, a table of label, field and
// default, and hands the table to run_dialogue:
//
//     run_dialogue("タイトル", 29, {
//         {" 1. 入力画像のファイル名", p.input, "in.img"},
//         {" 2. 画像の幅", p.width, 256},
//         {" 3. 画素長(cm/pixel)", p.pixel, 0.078125},
//     });

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <variant>

// Bytes of a file-name field and of the answer buffer, the terminating NUL
// included: a name or an answer holds at most 255 bytes.
inline constexpr int answer_buffer_size = 256;

struct Question {
    Question(const char* label, std::string& field, const char* initial)
        : label(label), field(&field), initial(initial) {}
    Question(const char* label, std::int32_t& field, std::int32_t initial)
        : label(label), field(&field), initial(initial) {}
    Question(const char* label, double& field, double initial)
        : label(label), field(&field), initial(initial) {}

    const char* label;  // UTF-8, number included, without padding
    std::variant<std::string*, std::int32_t*, double*> field;
    std::variant<const char*, std::int32_t, double> initial;
};

// Where the dialogue reads its answers and writes its questions.
struct DialogueStreams {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
};

// The four steps of the dialogue. Labels are given already padded.
void show_title(const char* title, DialogueStreams io = {});
void ask_name(const std::string& padded_label, std::string& field, DialogueStreams io = {});
void ask_int(const std::string& padded_label, std::int32_t& field, DialogueStreams io = {});
void ask_real(const std::string& padded_label, double& field, DialogueStreams io = {});

// Sets every field to its default, shows the title and asks every question
// in table order, labels padded to `label_width` display columns. When the
// answers run out, the remaining questions are still shown and keep their
// values.
void run_dialogue(const char* title, int label_width, std::initializer_list<Question> questions,
                  DialogueStreams io = {});

// The conversions of an answer line (without regard to Enter alone).
std::int32_t integer_answer(const char* line);  // strtol, saturated to 32 bits
double real_answer(const char* line);           // strtod
