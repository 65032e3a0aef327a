#include "common/tool_start.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <variant>

#include "common/console_text.h"

#ifndef CT_VERSION
#error "CT_VERSION comes from the project version in the top CMakeLists.txt"
#endif

const char* suite_version() { return CT_VERSION; }

namespace {

std::string formatted(const char* format, auto value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string trimmed(const char* label) {
    std::string text(label);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string row(const std::string& first, std::size_t width, const std::string& rest) {
    return "  " + pad_to_columns(first, width) + "  " + rest + "\n";
}

}  // namespace

const char* kind_text(const Question& q) {
    if (std::holds_alternative<std::int32_t*>(q.field)) return "整数";
    if (std::holds_alternative<double*>(q.field)) return "実数";
    return q.file == FileUse::written ? "書くファイル" : "読むファイル";
}

std::string default_text(const Question& q) {
    if (auto* name = std::get_if<const char*>(&q.initial)) return *name;
    if (auto* integer = std::get_if<std::int32_t>(&q.initial)) return formatted("%d", *integer);
    return formatted("%f", std::get<double>(q.initial));
}

std::string help_text(const ToolDialogue& dialogue) {
    const ToolDescription& about = dialogue.about;
    std::string text;
    text += std::string(about.name) + "：" + about.title + "\n\n";
    text += std::string(about.summary) + "\n\n";

    text += "質問（標準入力から1行に1つずつ答える。空行は既定値のまま）:\n";
    std::size_t label_width = 0;
    for (const Question& q : dialogue.questions) label_width = std::max(label_width, display_columns(trimmed(q.label)));
    for (const Question& q : dialogue.questions) {
        text += row(trimmed(q.label), label_width,
                    pad_to_columns(kind_text(q), 12) + "  " + pad_to_columns(q.keyword, 14) + "  [" + default_text(q) + "]");
    }

    text += "\nファイル（既定の名前）:\n";
    for (const Question& q : dialogue.questions) {
        if (q.file == FileUse::none) continue;
        const std::string label = trimmed(q.label);
        text += row(q.file == FileUse::read ? "読む" : "書く", 4,
                    default_text(q) + "  （質問" + label.substr(0, label.find('.')) + "）");
    }
    for (const FixedFile& f : about.fixed_files) {
        text += row(f.use == FileUse::read ? "読む" : "書く", 4, std::string(f.name) + "  （" + f.about + "）");
    }

    text += "\n例:\n  " + std::string(about.example) + "\n";
    text += "  answers.txt には質問の順に1行に1つずつ答えを書きます（空行は既定値のまま、足りない分も既定値）。\n";
    if (about.demo_answers != nullptr) {
        text += "  デモの答え: " + std::string(about.demo_answers) + "（scripts/demo が demo/ フォルダで使います）\n";
    }
    text += "\nオプション: -h, --help この説明 / --version 版数\n";
    return text;
}

namespace {

// Ends the answer to --help or --version once its text is out: flushed here,
// before the C library's exit machinery (which on Windows flushes only while
// the process is already being torn down), and a text that could not be
// written ends with status 1 instead of passing for success.
[[noreturn]] void end_after_answer() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        console_printf(stderr, " エラー：標準出力に書き込めません.\n");
        std::exit(1);
    }
    std::exit(0);
}

}  // namespace

void start_tool(int argc, char** argv, const ToolDialogue& dialogue) {
    if (argc <= 1) {
        run_dialogue(dialogue);
        return;
    }
    const char* argument = argv[1];
    if (argc == 2 && (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0)) {
        std::fputs(console_encoding_of(stdout, help_text(dialogue)).c_str(), stdout);
        end_after_answer();
    }
    if (argc == 2 && std::strcmp(argument, "--version") == 0) {
        std::printf("%s %s\n", dialogue.about.name, suite_version());
        end_after_answer();
    }
    // The first argument that is not understood (or a second one after a
    // known option) is the one named.
    const char* unknown = argc == 2 ? argument : argv[2];
    if (std::strcmp(argument, "-h") != 0 && std::strcmp(argument, "--help") != 0 &&
        std::strcmp(argument, "--version") != 0)
        unknown = argument;
    console_printf(stderr, "%s: 引数[%s]は使えません。使い方は %s --help で表示されます。\n", dialogue.about.name,
                   unknown, dialogue.about.name);
    std::exit(2);
}
