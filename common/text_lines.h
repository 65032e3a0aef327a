#pragma once
// The lines and cells of a text table as the tools write them: lines end in
// LF (a CR before it, from a file saved on Windows, is dropped) and cells
// are separated by tabs. Readers of tables (the Python module, the tools
// that take a table as input) share these.

#include <string>
#include <vector>

// Every line of `text`, empty ones included, without its line end.
std::vector<std::string> text_lines(const std::string& text);

// The tab-separated cells of one line; a line without a tab is one cell.
std::vector<std::string> tab_cells(const std::string& line);
