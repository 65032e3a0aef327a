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

// A question's kind as --help and the man pages name it (UTF-8).
const char* kind_text(const Question& q);

// A question's default as the dialogue shows it in brackets: "xdisk_9.prj",
// "256", "0.078125".
std::string default_text(const Question& q);

// The --help text of a tool (UTF-8).
std::string help_text(const ToolDialogue& dialogue);

// Handles the arguments, then runs the dialogue (returns only then).
void start_tool(int argc, char** argv, const ToolDialogue& dialogue);
