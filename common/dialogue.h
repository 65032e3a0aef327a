#pragma once
// The parameter dialogue that opens every tool: a title, then one question
// per parameter with its current value in brackets; Enter keeps the value.
//
// A tool declares its questions as data, a table of label, keyword, field
// and default (and, for a file name, whether the tool reads or writes it).
// The same table drives the dialogue, the --help text and the keyword
// arguments of the Python module, so there is no second copy to drift:
//
//     ToolDialogue raysum_dialogue(RaysumParameters& p) {
//         return {{"raysum", "タイトル", 28, "説明…", {}, "raysum < answers.txt"},
//                 {{" 1. 入力画像のファイル名", "input", p.input, "in.img", FileUse::read},
//                  {" 2. 画像の幅", "width", p.width, 256},
//                  {" 3. 画素長(cm/pixel)", "pixel_length", p.pixel_length, 0.078125}}};
//     }

#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

// Bytes of a file-name field and of the answer buffer, the terminating NUL
// included: a name or an answer holds at most 255 bytes.
inline constexpr int answer_buffer_size = 256;

// What a tool does with a file it names.
enum class FileUse { none, read, written };

struct Question {
    // Every name a tool asks for is a file name, so its use must be given.
    Question(const char* label, const char* keyword, std::string& field, const char* initial, FileUse use)
        : label(label), keyword(keyword), field(&field), initial(initial), file(use) {}
    Question(const char* label, const char* keyword, std::int32_t& field, std::int32_t initial)
        : label(label), keyword(keyword), field(&field), initial(initial) {}
    Question(const char* label, const char* keyword, double& field, double initial)
        : label(label), keyword(keyword), field(&field), initial(initial) {}

    const char* label;    // UTF-8, number included, without padding
    const char* keyword;  // snake_case English name: --help and the Python keyword
    std::variant<std::string*, std::int32_t*, double*> field;
    std::variant<const char*, std::int32_t, double> initial;
    FileUse file = FileUse::none;
};

// A file the tool reads or writes under a name of its own, not asked for
// (a series is shown by its first names, "n4-5_05dB.img, n4-5_10dB.img …").
struct FixedFile {
    const char* name;
    FileUse use;
    const char* about;  // UTF-8, a few words
};

// What --help tells about a tool besides its questions.
struct ToolDescription {
    const char* name;     // the command
    const char* title;    // the first line of the dialogue
    int label_width;      // display columns the labels are padded to
    const char* summary;  // UTF-8, two or three sentences: what it does, where it sits in the chain
    std::vector<FixedFile> fixed_files;
    const char* example;  // one command line with an answers file
};

// A tool's description and its question table, bound to its parameter record.
struct ToolDialogue {
    ToolDescription about;
    std::vector<Question> questions;
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

// Sets every field of the table to its default.
void apply_defaults(const std::vector<Question>& questions);

// Sets every field to its default, shows the title and asks every question
// in table order, labels padded to `label_width` display columns. When the
// answers run out, the remaining questions are still shown and keep their
// values.
void run_dialogue(const char* title, int label_width, const std::vector<Question>& questions,
                  DialogueStreams io = {});
void run_dialogue(const ToolDialogue& dialogue, DialogueStreams io = {});

// The conversions of an answer line (without regard to Enter alone).
std::int32_t integer_answer(const char* line);  // strtol, saturated to 32 bits
double real_answer(const char* line);           // strtod
