#pragma once
// Every tool of the suite, its questions in order, and answers for a quick
// sane run in a folder prepared with small input files.

#include <filesystem>
#include <string>
#include <vector>

enum class Role {
    input,  // name of a file the tool reads
    output,  // name of a file the tool writes
    size,  // a dimension: answers multiply into array sizes
    work,  // a count of repetitions or points: huge answers may ask for endless but legitimate work
    value,  // any other number
    word,  // a text that names no file (a preset)
};

struct Ask {
    Role role;
    bool is_name;  // a file name or a word (else a number)
    std::string sane;  // the answer of the quick sane run
};

struct ToolEntry {
    std::string tool;
    std::vector<Ask> asks;
    std::vector<std::string> fixed_outputs = {};  // files written under names that are not asked
    // Refuses a raw input whose size is not that of the answers (instead of
    // reading it with a warning, as the first tools of the suite do).
    bool exact_sizes = false;
};

const std::vector<ToolEntry>& every_tool();

// Writes the small input files that the sane answers name into `folder`.
void prepare_inputs(const std::filesystem::path& folder);

// The sane answers, with answer `index` replaced by `answer` when index >= 0.
std::vector<std::string> sane_answers(const ToolEntry& entry, int index = -1, const std::string& answer = "");
