#include "common/tool_start.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <variant>

#include "common/console_text.h"
#include "common/language.h"
#include "common/run_events.h"

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
    if (q.file == FileUse::none) return "文字列";
    return q.file == FileUse::written ? "書くファイル" : "読むファイル";
}

std::string default_text(const Question& q) {
    if (auto* name = std::get_if<const char*>(&q.initial)) return *name;
    if (auto* integer = std::get_if<std::int32_t>(&q.initial)) return formatted("%d", *integer);
    return formatted("%f", std::get<double>(q.initial));
}

std::string help_text(const ToolDialogue& dialogue) {
    const ToolDescription& about = dialogue.about;
    std::string text = text_format("%s：%s\n\n", about.name, in_language(about.title));
    text += std::string(in_language(about.summary)) + "\n\n";

    text += in_language("質問（標準入力から1行に1つずつ答える。空行は既定値のまま）:\n");
    std::size_t label_width = 0;
    for (const Question& q : dialogue.questions) {
        label_width = std::max(label_width, display_columns(trimmed(in_language(q.label))));
    }
    for (const Question& q : dialogue.questions) {
        text += row(trimmed(in_language(q.label)), label_width,
                    pad_to_columns(in_language(kind_text(q)), 12) + "  " + pad_to_columns(q.keyword, 14) + "  [" +
                        default_text(q) + "]");
    }

    text += in_language("\nファイル（既定の名前）:\n");
    const char* reads = in_language("読む");
    const char* writes = in_language("書く");
    const std::size_t use_width = std::max(display_columns(reads), display_columns(writes));
    for (const Question& q : dialogue.questions) {
        if (q.file == FileUse::none) continue;
        const std::string label = trimmed(q.label);
        text += row(q.file == FileUse::read ? reads : writes, use_width,
                    text_format("%s  （質問%s）", default_text(q).c_str(), label.substr(0, label.find('.')).c_str()));
    }
    for (const FixedFile& f : about.fixed_files) {
        text += row(f.use == FileUse::read ? reads : writes, use_width,
                    text_format("%s  （%s）", in_language(f.name), in_language(f.about)));
    }

    text += text_format("\n例:\n  %s\n", about.example);
    text += in_language("  answers.txt には質問の順に1行に1つずつ答えを書きます（空行は既定値のまま、足りない分も既定値）。\n");
    if (about.demo_answers != nullptr) {
        text += text_format("  デモの答え: %s（scripts/demo が demo/ フォルダで使います）\n", about.demo_answers);
    }
    text += in_language("\nオプション: -h, --help この説明 / --version 版数 / --check-answers 答えを確かめるだけ（JSON のイベント）\n");
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

// --check-answers: the dialogue alone, on the answers of standard input,
// shown nowhere; its events (the answers with the values taken and their
// warnings, the files the run would read and write) on standard output.
// Nothing is computed and no file is opened.
[[noreturn]] void check_answers(const ToolDialogue& dialogue) {
    run_events::record_to(stdout);
    run_events::start(dialogue, suite_version());
    run_dialogue(dialogue, {stdin, nullptr, nullptr});
    run_events::files_planned(true);
    run_events::end(0);
    run_events::stop_recording();
    end_after_answer();
}

}  // namespace

void start_tool(int argc, char** argv, const ToolDialogue& dialogue) {
    if (argc <= 1) {
        run_events::record_to_environment_file();
        run_events::start(dialogue, suite_version());
        run_dialogue(dialogue);
        run_events::files_planned(false);
        return;
    }
    const char* argument = argv[1];
    if (argc == 2 && (std::strcmp(argument, "-h") == 0 || std::strcmp(argument, "--help") == 0)) {
        std::fputs(console_encoding_of(stdout, help_text(dialogue)).c_str(), stdout);
        end_after_answer();
    }
    if (argc == 2 && std::strcmp(argument, "--check-answers") == 0) check_answers(dialogue);
    if (argc == 2 && std::strcmp(argument, "--version") == 0) {
        std::printf("%s %s\n", dialogue.about.name, suite_version());
        end_after_answer();
    }
    // The first argument that is not understood (or a second one after a
    // known option) is the one named.
    const char* unknown = argc == 2 ? argument : argv[2];
    if (std::strcmp(argument, "-h") != 0 && std::strcmp(argument, "--help") != 0 &&
        std::strcmp(argument, "--version") != 0 && std::strcmp(argument, "--check-answers") != 0)
        unknown = argument;
    console_printf(stderr, "%s: 引数[%s]は使えません。使い方は %s --help で表示されます。\n", dialogue.about.name,
                   unknown, dialogue.about.name);
    std::exit(2);
}

namespace {

int failed(const Message& message) {
    std::fflush(stdout);
    std::fputs(message.for_stream(stderr).c_str(), stderr);
    return 1;
}

}  // namespace

int exit_status_of(const std::function<void()>& body) {
    try {
        body();
    } catch (const Failure& failure) {
        run_events::end_failed(run_events::failure_kind(failure), failure.message());
        return failed(failure.message());
    } catch (const std::bad_alloc&) {
        // An allocation the tool could not size beforehand.
        const Message message(" エラー：メモリが足りません.\n");
        run_events::end_failed("not_enough_memory", message);
        return failed(message);
    }
    run_events::end(0);
    return 0;
}

int tool_main(int argc, char** argv, const ToolDialogue& dialogue, const std::function<void()>& body) {
    return exit_status_of([&] {
        start_tool(argc, argv, dialogue);
        body();
    });
}
