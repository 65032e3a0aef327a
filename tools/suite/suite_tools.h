#pragma once
// Every program of the suite, once: its question table and description (from
// its area's questions file), whether it splits its work over threads, the
// programs a reader should look at next, and the files it reads and writes
// with their formats and shapes. The build checks the programs CMake builds
// against this list and writes tools.json and the man pages from it.

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogue.h"

enum class FileFormat {
    raw,    // float32 samples, row after row, no header
    table,  // tab-separated text table (Shift_JIS)
    text,   // a text file the user writes (the ellipse parameters)
    png,    // an 8-bit grey picture
};

// One side of a raw file: the answer to an integer question, or a count of
// its own.
struct Extent {
    Extent(const char* keyword) : keyword(keyword) {}
    Extent(std::int32_t count) : count(count) {}
    const char* keyword = nullptr;
    std::int32_t count = 0;
};

// A file a program reads or writes: the one a question names, or one of its
// fixed files (the description's fixed_files[fixed]), possibly a series of
// names that follow a rule ("n4-5_{level}dB.img", the level in two digits).
struct FileFact {
    const char* question = nullptr;  // keyword of the question that names it
    int fixed = -1;                  // else its index in the fixed files
    const char* pattern = nullptr;   // a series: the rule of its names
    std::vector<const char*> names;  // a series: its names with the default answers
    FileFormat format = FileFormat::raw;
    std::vector<Extent> shape;  // raw files: rows first
};

struct SuiteProgram {
    ToolDialogue dialogue;  // bound to a record that lives as long as the list
    bool threads;           // splits its work over the cores (OMP_NUM_THREADS)
    std::vector<const char*> see_also;
    std::vector<FileFact> files;  // every file it reads or writes, in table order, fixed files last

    const char* name() const { return dialogue.about.name; }
};

// The 25 programs in the order of the chain.
const std::vector<SuiteProgram>& suite_tools();

// The program of that name, or nullptr.
const SuiteProgram* find_suite_tool(const std::string& name);

// What is inconsistent in the list, one line each (empty when sound): a file
// question without its file or a file naming no question, a shape naming no
// integer question, a fixed index out of range, a see-also naming no
// program, a name given twice.
std::vector<std::string> suite_problems(const std::vector<SuiteProgram>& programs);

// The question of a keyword, or nullptr; its number is its place plus one.
const Question* question_of(const ToolDialogue& dialogue, const char* keyword, int* number = nullptr);
