#pragma once
// The start of every tool: its command-line arguments, then its dialogue.
//
// With no arguments a tool asks its questions exactly as it always has.
// `-h` / `--help` describes the tool from its question table, `--version`
// names the tool and the suite's version; both end the tool with status 0
// before anything is read or written. Any other argument is refused with
// status 2, also before anything is read or written.

#include <cstdio>
#include <string>

#include "common/dialogue.h"

// The suite's version, set once in the top CMakeLists.txt.
const char* suite_version();

// The --help text of a tool (UTF-8).
std::string help_text(const ToolDialogue& dialogue);

// Handles the arguments, then runs the dialogue (returns only then).
void start_tool(int argc, char** argv, const ToolDialogue& dialogue);
