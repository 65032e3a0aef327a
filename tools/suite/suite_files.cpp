// suite_files: writes tools.json and every program's man page from the
// suite's list, at build time, after checking the list and that CMake
// builds exactly the programs it holds.
// Usage: suite_files OUT_DIR TOOL...   (the tools CMake builds)
// Writes OUT_DIR/tools.json and OUT_DIR/man/man1/<tool>.1.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "common/tool_start.h"
#include "tools/suite/man_page.h"
#include "tools/suite/suite_tools.h"
#include "tools/suite/tools_json.h"

namespace {

bool write_text(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "suite_files: cannot write %s\n", path.string().c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: suite_files OUT_DIR TOOL...\n");
        return 2;
    }
    const std::vector<SuiteProgram>& suite = suite_tools();
    int failures = 0;
    for (const std::string& problem : suite_problems(suite)) {
        std::fprintf(stderr, "suite_files: %s\n", problem.c_str());
        ++failures;
    }
    const std::set<std::string> built(argv + 2, argv + argc);
    std::set<std::string> listed;
    for (const SuiteProgram& p : suite) listed.insert(p.name());
    for (const std::string& name : built)
        if (!listed.count(name)) {
            std::fprintf(stderr, "suite_files: CMake builds %s, which tools/suite/suite_tools.cpp does not list\n",
                         name.c_str());
            ++failures;
        }
    for (const std::string& name : listed)
        if (!built.count(name)) {
            std::fprintf(stderr, "suite_files: tools/suite/suite_tools.cpp lists %s, which no ct_add_tool builds\n",
                         name.c_str());
            ++failures;
        }
    if (failures > 0) return 1;

    const std::filesystem::path out = argv[1];
    const std::filesystem::path pages = out / "man";
    std::filesystem::remove_all(pages);  // no page of a program that is gone
    std::filesystem::create_directories(pages / "man1");
    bool written = write_text(out / "tools.json", tools_json(suite, suite_version()));
    for (const SuiteProgram& p : suite) {
        written = write_text(pages / "man1" / (std::string(p.name()) + ".1"),
                             man_page(p, japanese_page_texts(), suite_version())) && written;
    }
    return written ? 0 : 1;
}
