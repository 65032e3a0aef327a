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
//         return {{"raysum", "タイトル", 28, "説明…", {}, "raysum < answers.txt", nullptr},
//                 {{" 1. 入力画像のファイル名", "input", p.input, "in.img", FileUse::read},
//                  {" 2. 画像の幅", "width", p.width, 256},
//                  {" 3. 画素長(cm/pixel)", "pixel_length", p.pixel_length, 0.078125}}};
//     }

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/file_facts.h"
#include "common/language.h"

// Bytes of a file-name field and of the answer buffer, the terminating NUL
// included: a name or an answer holds at most 255 bytes.
inline constexpr int answer_buffer_size = 256;

// What a tool does with a file it names.
enum class FileUse { none,
                     read,
                     written };

struct Question {
    // A text answer is a file name but for a word chosen from a list (a
    // preset's name, FileUse::none), so its use must be given.
    Question(const char* label, const char* keyword, std::string& field, const char* initial, FileUse use)
        : label(label), keyword(keyword), field(&field), initial(initial), file(use) {}
    Question(const char* label, const char* keyword, std::int32_t& field, std::int32_t initial)
        : label(label), keyword(keyword), field(&field), initial(initial) {}
    Question(const char* label, const char* keyword, double& field, double initial)
        : label(label), keyword(keyword), field(&field), initial(initial) {}

    const char* label;  // UTF-8, number included, without padding
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
    const char* name;  // the command
    const char* title;  // the first line of the dialogue
    int label_width;  // display columns the labels are padded to
    const char* summary;  // UTF-8, two or three sentences: what it does, where it sits in the chain
    std::vector<FixedFile> fixed_files;
    const char* example;  // one command line with an answers file
    const char* demo_answers;  // the demo's answers file for this tool, or nullptr
};

// A tool's description, its question table and what its files hold, bound
// to its parameter record.
struct ToolDialogue {
    ToolDescription about;
    std::vector<Question> questions;
    std::vector<FileFact> files{};  // every file it reads or writes, in table order, fixed files last
};

// The question of a keyword, or nullptr; its number is its place plus one.
const Question* question_of(const ToolDialogue& dialogue, const char* keyword, int* number = nullptr);

// Where the dialogue reads its answers, writes its questions and warns
// about answers that are not clean numbers; a null `out` or `err` shows
// nothing there.
struct DialogueStreams {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

// What one question got: the answer line as typed (without its line end),
// none when the answers had run out; and when the dialogue warned, the
// problem (Japanese words) and the whole warning as the console showed it
// (UTF-8, in the run's language).
struct AnswerTaken {
    std::optional<std::string> line;
    const char* problem = nullptr;
    std::string warning;
};

// Called with what a question got, before the console shows its warning.
using AnswerHeard = std::function<void(const AnswerTaken&)>;

// The four steps of the dialogue. Labels are given already padded.
void show_title(const char* title, DialogueStreams io = {});
AnswerTaken ask_name(const std::string& padded_label, std::string& field, DialogueStreams io = {},
                     const AnswerHeard& heard = {});
AnswerTaken ask_int(const std::string& padded_label, std::int32_t& field, DialogueStreams io = {},
                    const AnswerHeard& heard = {});
AnswerTaken ask_real(const std::string& padded_label, double& field, DialogueStreams io = {},
                     const AnswerHeard& heard = {});

// Sets every field of the table to its default.
void apply_defaults(const std::vector<Question>& questions);

// The label width of a tool in a language: in Japanese the tool's own
// width; in English the longest English label plus the margin that the
// Japanese width leaves beyond the longest Japanese label.
int label_width_in(Language language, int japanese_width, const std::vector<Question>& questions);

// Sets every field to its default, shows the title and asks every question
// in table order, in the language of the run (common/language.h), labels
// padded to `label_width` display columns (in English to label_width_in). When the
// answers run out, the remaining questions are still shown and keep their
// values.
void run_dialogue(const char* title, int label_width, const std::vector<Question>& questions,
                  DialogueStreams io = {});
void run_dialogue(const ToolDialogue& dialogue, DialogueStreams io = {});

// Answers are read as text: a CR immediately followed by LF counts as the
// LF alone (answer files saved on Windows), before the input is cut into
// answers of at most 255 bytes. A CR anywhere else is part of the answer.

// The conversions of an answer line (without regard to Enter alone).
std::int32_t integer_answer(const char* line);  // strtol, saturated to 32 bits
double real_answer(const char* line);  // strtod

// Why an answer line is not a clean number of its kind, in a few Japanese
// words (UTF-8), or nullptr when it is one. Blanks around the number and the
// line end are clean; letters or other trailing text, a fraction typed for
// an integer, blanks only, a value saturated to 32 bits and a real that
// overflows (or is typed as an infinity or NaN) are not.
const char* integer_answer_problem(const char* line);
const char* real_answer_problem(const char* line);

// A problem of those two as a key that does not depend on the language:
// "blank", "not_a_number", "out_of_range", "not_an_integer",
// "trailing_text", "not_finite".
const char* answer_problem_kind(const char* problem);
