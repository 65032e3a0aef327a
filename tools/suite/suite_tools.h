#pragma once
// Every program of the suite, once: its question table and description (from
// its area's questions file), whether it splits its work over threads, the
// programs a reader should look at next; the files it reads and writes, with
// their formats, shapes and quantities, come with its question table. The build checks the programs CMake builds
// against this list and writes tools.json and the man pages from it.

#include <cstdint>
#include <string>
#include <vector>

#include "common/dialogue.h"

struct SuiteProgram {
    ToolDialogue dialogue;  // bound to a record that lives as long as the list
    bool threads;  // splits its work over the cores (OMP_NUM_THREADS)
    std::vector<const char*> see_also;
    // A host may split a run into share runs of its main loop and a whole
    // run that takes their rows (CT_ROW_SHARE, CT_ROW_SHARES: common/row_shares.h).
    bool row_shares = false;

    const char* name() const { return dialogue.about.name; }
};

// The 36 programs in the order of the chain.
const std::vector<SuiteProgram>& suite_tools();

// The program of that name, or nullptr.
const SuiteProgram* find_suite_tool(const std::string& name);

// What is inconsistent in the list, one line each (empty when sound): a file
// question without its file or a file naming no question, a shape naming no
// integer question, a fixed index out of range, a see-also naming no
// program, a name given twice.
std::vector<std::string> suite_problems(const std::vector<SuiteProgram>& programs);
