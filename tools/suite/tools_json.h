#pragma once
// tools.json: every program of the suite with its questions and files, for
// readers that build forms or checks from it (the browser lab, the tests).

#include <string>
#include <vector>

#include "tools/suite/suite_tools.h"

// The whole file, UTF-8, ending in a line end.
std::string tools_json(const std::vector<SuiteProgram>& programs, const char* version);
