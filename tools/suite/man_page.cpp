#include "tools/suite/man_page.h"

#include <string_view>

#include "common/language.h"
#include "common/tool_start.h"

namespace {

std::string as_is(const char* text) { return text; }

std::string in_english(const char* text) {
    const char* english = english_of(text);
    return english != nullptr ? english : text;
}

// roff: a backslash is \e, '-' is \- (a minus, as typed in commands and
// names); a line may not start with '.' or '\''.
std::string escaped(std::string_view text) {
    std::string out;
    bool line_start = true;
    for (const char c : text) {
        if (line_start && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        line_start = c == '\n';
    }
    return out;
}

// The UTF-8 character that starts at `at` (empty at the end).
std::string_view character_at(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    return at < text.size() ? text.substr(at, end - at) : std::string_view();
}

// Japanese has no blanks between words: a line may break after every
// character that is not ASCII, marked \: (invisible), except before closing
// and after opening brackets and stops. Not in the NAME line, which whatis
// and apropos show as it is.
std::string breakable(std::string_view text) {
    constexpr std::string_view no_break_before = "）」』、。・：";
    constexpr std::string_view no_break_after = "（「『";
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view c = character_at(text, i);
        out += c;
        i += c.size();
        const std::string_view next = character_at(text, i);
        const bool wide = static_cast<unsigned char>(c[0]) >= 0x80;
        const bool held = no_break_after.find(c) != std::string_view::npos ||
                          (!next.empty() && static_cast<unsigned char>(next[0]) >= 0x80 &&
                           no_break_before.find(next) != std::string_view::npos);
        if (wide && !held) out += "\\:";
    }
    return out;
}

std::string trimmed(const char* label) {
    std::string text(label);
    text.erase(0, text.find_first_not_of(' '));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// The stop that ends a paragraph's line, without the blank that follows it
// inside a line.
std::string line_end(const char* stop) {
    std::string text(stop);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text + "\n";
}

std::string bold(const std::string& text) { return "\\fB" + escaped(text) + "\\fR"; }
std::string italic(const std::string& text) { return "\\fI" + escaped(text) + "\\fR"; }

std::string shape_text(const FileFact& f, const PageTexts& t) {
    std::string out;
    for (const Extent& e : f.shape) {
        out += out.empty() ? "" : t.times;
        out += e.keyword != nullptr ? italic(e.keyword) : std::to_string(e.count);
    }
    return out;
}

const char* format_text(FileFormat format, const PageTexts& t) {
    switch (format) {
        case FileFormat::raw: return t.raw;
        case FileFormat::table: return t.table;
        case FileFormat::text: return t.text;
        case FileFormat::png: return t.png;
        case FileFormat::dicom: return t.dicom;
    }
    return t.raw;
}

std::string questions_section(const ToolDialogue& d, const PageTexts& t) {
    std::string out = ".SS " + escaped(t.questions) + "\n";
    for (const Question& q : d.questions) {
        out += ".TP\n\\fB" + escaped(trimmed(t.tool_text(q.label).c_str())) + "\\fR [" + escaped(default_text(q)) +
               "]\n" + escaped(t.tool_text(kind_text(q))) + t.comma + escaped(t.keyword) + " " + bold(q.keyword) + "\n";
    }
    return out;
}

std::string files_section(const SuiteProgram& program, const PageTexts& t) {
    const ToolDialogue& d = program.dialogue;
    std::string out = ".SH FILES\n";
    std::string previous;  // facts that differ only in what the page does not show (a quantity) are one entry
    for (const FileFact& f : program.dialogue.files) {
        const std::size_t entry_start = out.size();
        FileUse use = FileUse::none;
        std::string tag, about;
        if (f.question != nullptr) {
            int number = 0;
            const Question* q = question_of(d, f.question, &number);
            use = q->file;
            tag = bold(default_text(*q)) + t.open + escaped(t.question) + std::to_string(number) + t.close;
        } else {
            const FixedFile& fixed = d.about.fixed_files[static_cast<std::size_t>(f.fixed)];
            use = fixed.use;
            tag = bold(f.pattern != nullptr ? f.pattern : t.tool_text(fixed.name));
            about = t.comma + escaped(t.tool_text(fixed.about));
        }
        out += ".TP\n" + tag + "\n" + escaped(use == FileUse::read ? t.read : t.written) + about + t.stop +
               escaped(format_text(f.format, t));
        if (!f.shape.empty()) out += t.comma + shape_text(f, t) + " " + escaped(t.samples);
        out += line_end(t.stop);
        if (f.pattern != nullptr) {
            out += escaped(t.series_defaults) + " " + bold(f.names.front()) + t.ellipsis + bold(f.names.back()) + line_end(t.stop);
        }
        std::string entry = out.substr(entry_start);
        if (entry == previous) out.resize(entry_start);
        previous = std::move(entry);
    }
    out += ".TP\n" + italic(std::string(doc_dir_mark) + "/examples/answers/") + "\n" + escaped(t.example_answers) +
           "\n.PP\n" + escaped(t.formats) + "\n";
    return out;
}

std::string examples_section(const ToolDescription& about, const PageTexts& t) {
    std::string out = ".SH EXAMPLES\n.nf\n" + escaped(about.example) + "\n.fi\n.PP\n" + escaped(t.answers_file) + "\n";
    if (about.demo_answers != nullptr) {
        out += ".PP\n" + escaped(t.demo_answers) + "\n.nf\n" + escaped(about.name) + " < " + doc_dir_mark + "/" +
               escaped(about.demo_answers) + "\n.fi\n";
    }
    return out;
}

std::string environment_section(const SuiteProgram& program, const PageTexts& t) {
    std::string out = ".SH ENVIRONMENT\n.TP\n.B CT_ENCODING\n" + escaped(t.encoding) + "\n";
    if (program.threads) out += ".TP\n.B OMP_NUM_THREADS\n" + escaped(t.threads) + "\n";
    return out;
}

std::string see_also_section(const SuiteProgram& program, const PageTexts& t) {
    std::string out = ".SH SEE ALSO\n";
    for (std::size_t i = 0; i < program.see_also.size(); ++i) {
        out += ".BR " + escaped(program.see_also[i]) + " (1)" + (i + 1 < program.see_also.size() ? "," : "") + "\n";
    }
    out += ".PP\n" + escaped(t.readme) + "\n.br\n" + italic(std::string(doc_dir_mark) + "/README.md") + "\n.br\n" +
           escaped(t.tools_json) + "\n.br\n" + italic(std::string(data_dir_mark) + "/tools.json") + "\n";
    return out;
}

}  // namespace

std::string man_page(const SuiteProgram& program, const PageTexts& t, const char* version) {
    const ToolDescription& about = program.dialogue.about;
    std::string upper = about.name;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    const std::string name = escaped(about.name);
    const std::string head = ".TH " + upper + " 1 \"\" \"ct\\-teaching\\-tools " + version + "\" \"" +
                             escaped(t.manual) + "\"\n.ad l\n.SH NAME\n" + name + " \\- " +
                             escaped(t.tool_text(about.title)) + "\n";
    const std::string body =
        ".SH SYNOPSIS\n.B " + name + "\n.RB [ \\-\\-help | \\-\\-version ]\n.br\n.B " + name +
        "\n.RI < \" answers.txt\"\n.SH DESCRIPTION\n" + escaped(t.tool_text(about.summary)) + "\n.PP\n" +
        escaped(t.dialogue) + "\n" + questions_section(program.dialogue, t) + files_section(program, t) +
        examples_section(about, t) + ".SH EXIT STATUS\n.TP\n.B 0\n" + escaped(t.exit_done) + "\n.TP\n.B 1\n" +
        escaped(t.exit_failed) + "\n.TP\n.B 2\n" + escaped(t.exit_arguments) + "\n" +
        environment_section(program, t) + see_also_section(program, t);
    return head + breakable(body);
}

const PageTexts& japanese_page_texts() {
    static const PageTexts texts = {
        as_is,
        "CT teaching tools",
        "ツールは質問を1つずつ表示し、標準入力から1行に1つの答えを読みます。空行は括弧内の既定値のままにします。"
        "答えのファイルが早く終わると、残りの質問は既定値のままです。",
        "質問",
        "キーワード",
        "質問",
        "読む",
        "書く",
        "生データ",
        "テキストの表",
        "テキスト",
        "PNG画像",
        "DICOM画像",
        "個の標本",
        "既定の答えでは",
        "生データファイルはヘッダのない32ビット浮動小数点数（リトルエンディアン）を1行ずつ並べたもの、"
        "テキストの表はタブ区切りのShift_JISです。",
        "答えのファイルの例。",
        "answers.txt には質問の順に1行に1つずつ答えを書きます（空行は既定値のまま、足りない分も既定値）。",
        "デモの答え:",
        "最後まで計算した（--help と --version も）。",
        "ファイルが開けない・書けない、大きさが使えない、メモリが足りない。メッセージは標準エラー出力へ。",
        "使えない引数。何も読み書きしない。",
        "utf-8 または cp932 で画面に出す文字の符号化を決める。設定がなければ、UTF-8のロケールの端末にはUTF-8、"
        "そのほかにはShift_JIS（CP932）。表のファイルはいつもShift_JIS。",
        "計算に使うスレッドの数。既定はこのプロセスが使えるコアの数。結果はスレッドの数によらず同じ。",
        "説明書:",
        "全プログラムの質問とファイルの一覧:",
        "、",
        "。",
        "（",
        "）",
        " × ",
        " … ",
    };
    return texts;
}

const PageTexts& english_page_texts() {
    static const PageTexts texts = {
        in_english,
        "CT teaching tools",
        "The tool shows its questions one by one and reads one answer per line from standard input; an empty "
        "line keeps the default in brackets. When the file of answers ends early, the remaining questions keep "
        "their defaults.",
        "Questions",
        "keyword",
        "question ",
        "Read",
        "Written",
        "Raw data",
        "Text table",
        "Text",
        "PNG image",
        "DICOM image",
        "samples",
        "With the default answers:",
        "A raw data file holds 32-bit floating-point numbers (little-endian) without a header, row after row; "
        "a text table is tab-separated Shift_JIS text.",
        "Examples of answer files.",
        "answers.txt holds one answer per line in the order of the questions (an empty line keeps the default, "
        "and so do missing lines).",
        "The demo's answers:",
        "The computation ran to its end (also --help and --version).",
        "A file cannot be opened or written, a size is unusable, or memory is short. The message goes to "
        "standard error.",
        "An argument that is not understood. Nothing is read or written.",
        "utf-8 or cp932 chooses the encoding of the console texts. Unset, a terminal whose locale is UTF-8 gets "
        "UTF-8, everything else Shift_JIS (CP932). Table files always hold Shift_JIS.",
        "The number of threads of the computation; by default the number of cores this process may use. The "
        "results are the same for every number of threads.",
        "Manual:",
        "The questions and files of every program:",
        ", ",
        ". ",
        " (",
        ")",
        " x ",
        " ... ",
    };
    return texts;
}
