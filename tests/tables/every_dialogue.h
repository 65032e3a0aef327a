#pragma once
// The question table of every tool of the suite, each bound to a parameter
// record that lives for the whole test run.

#include <vector>

#include "common/dialogue.h"

std::vector<ToolDialogue> every_dialogue();
