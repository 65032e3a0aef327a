// iterative_recon and view_subset run from build/bin: the sparse-view
// figure against FBP, the saved images and table, and the refusals.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "tests/support/tool_runner.h"

namespace {

const std::string head_ellipses = std::string(CT_SOURCE_DIR) + "/examples/n3-2.txt";

double rmse_between(const std::vector<float>& a, const std::vector<float>& b, double scale_a) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] * scale_a - b[i]) * (a[i] * scale_a - b[i]);
    return std::sqrt(sum / static_cast<double>(a.size()));
}

// The answers of iterative_recon in order, from a few that differ from these.
std::vector<std::string> recon_answers(std::map<int, std::string> changed) {
    std::vector<std::string> lines = {"s.prj", "64", "30", "90", "0", "3", "ir.img", "64", "64", "0.3125", "2", "10",
                                      "1.0", "8", "1", "0", "2000", "0", "0", "t.txt", "none"};
    for (const auto& [number, answer] : changed) lines[number - 1] = answer;
    return lines;
}

}  // namespace

// 30 views of the head phantom without noise: ten SART iterations come
// closer to the phantom than FBP of the same views (RMSE at most 0.8 × FBP's).
TEST(IterativeRecon, SparseViewsOfTheHeadBeatFbp) {
    ScratchDir dir;
    ASSERT_EQ(run_tool("oval_stack", answers({head_ellipses, "11", "head.img", "64", "64"}), dir.path()).exit_status, 0);
    ASSERT_EQ(run_tool("raysum", answers({"head.img", "64", "64", "0.3125", "head.prj", "64", "90"}), dir.path())
                  .exit_status,
              0);
    const ToolRun subset = run_tool("view_subset", answers({"head.prj", "64", "90", "s.prj", "0", "3", "30"}), dir.path());
    ASSERT_EQ(subset.exit_status, 0) << subset.err;
    const std::vector<float> all = read_floats(dir / "head.prj"), sparse = read_floats(dir / "s.prj");
    ASSERT_EQ(sparse.size(), 30u * 64u);
    for (int k = 0; k < 30; ++k)
        EXPECT_TRUE(std::equal(sparse.begin() + k * 64, sparse.begin() + (k + 1) * 64, all.begin() + 3 * k * 64)) << k;
    EXPECT_NE(subset.out.find(sjis("最初の投影番号 0、投影番号の間隔 3")), std::string::npos) << subset.out;

    // FBP of the same 30 views (angles i × π / 30), in 1/cm.
    ASSERT_EQ(run_tool("reconstruct", answers({"s.prj", "64", "30", "fbp.img", "64", "64", "0.3125"}), dir.path())
                  .exit_status,
              0);
    const std::vector<float> head = read_floats(dir / "head.img");
    const double fbp = rmse_between(read_floats(dir / "fbp.img"), head, 1 / 0.3125);

    const ToolRun run = run_tool("iterative_recon", answers(recon_answers({{21, "head.img"}})), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const double sart = rmse_between(read_floats(dir / "ir.img"), head, 1);
    EXPECT_LE(sart, 0.8 * fbp) << "SART " << sart << ", FBP " << fbp;
    // The table's last RMSE is that of the image written.
    std::istringstream table(read_file(dir / "t.txt"));
    std::string line, last;
    std::getline(table, line);
    EXPECT_EQ(line, "iteration\tresidual\trmse");
    int lines = 0;
    while (std::getline(table, line)) last = line, ++lines;
    EXPECT_EQ(lines, 11);
    EXPECT_NEAR(std::stod(last.substr(last.rfind('\t') + 1)), sart, 1e-6 * sart);
}

TEST(IterativeRecon, SavesTheChosenIterationsAndFromAnFbpStart) {
    ScratchDir dir;
    std::vector<float> sinogram(30 * 64);
    for (std::size_t i = 0; i < sinogram.size(); ++i) sinogram[i] = 0.5f + 0.3f * std::sin(0.01f * i);
    write_floats(dir / "s.prj", sinogram);
    const ToolRun run = run_tool("iterative_recon",
                                 answers(recon_answers({{7, "out/x.img"}, {11, "3"}, {12, "5"}, {14, "5"}, {16, "0.3"}, {18, "1"}, {19, "2"}})),
                                 dir.path());
    ASSERT_FALSE(run.exit_status == 0) << "no folder out/";
    std::filesystem::create_directory(dir / "out");
    const ToolRun again = run_tool("iterative_recon",
                                   answers(recon_answers({{7, "out/x.img"}, {11, "3"}, {12, "5"}, {14, "5"}, {16, "0.3"}, {18, "1"}, {19, "2"}})),
                                   dir.path());
    ASSERT_EQ(again.exit_status, 0) << again.err;
    for (const char* name : {"out/x_0002.img", "out/x_0004.img", "out/x.img"})
        EXPECT_EQ(std::filesystem::file_size(dir / name), 64u * 64u * 4u) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "out/x_0005.img"));
    EXPECT_EQ(read_file(dir / "t.txt").rfind("iteration\tresidual\n", 0), 0u);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The number after "key": in an event line, or NaN when the line has none.
double event_number(const std::string& line, const std::string& key) {
    const std::size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? std::nan("") : std::strtod(line.c_str() + at + key.size() + 3, nullptr);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Each iteration's progress event carries the residual and RMSE its table
// row prints, and each image's file event the iteration it follows; the
// console and the files are those of a run without events.
TEST(IterativeRecon, EventsCarryTheTableAndTheSeries) {
    ScratchDir quiet, told;
    ASSERT_EQ(run_tool("oval_stack", answers({head_ellipses, "11", "head.img", "64", "64"}), quiet.path()).exit_status, 0);
    ASSERT_EQ(run_tool("raysum", answers({"head.img", "64", "64", "0.3125", "s.prj", "64", "30"}), quiet.path()).exit_status, 0);
    for (const char* name : {"head.img", "s.prj"}) write_file(told / name, read_file(quiet / name));
    const std::string lines = answers(recon_answers({{5, "0"}, {6, "1"}, {4, "30"}, {12, "7"}, {19, "3"}, {21, "head.img"}}));
    const ToolRun plain = run_tool("iterative_recon", lines, quiet.path());
    const ToolRun run = run_tool_with("iterative_recon", {}, lines, told.path(), {"CT_EVENTS=" + (told / "e.txt").string()});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, plain.out);
    for (const char* name : {"ir.img", "ir_0003.img", "ir_0006.img", "t.txt"}) EXPECT_EQ(read_file(told / name), read_file(quiet / name)) << name;

    const std::vector<std::string> table = lines_of(read_file(told / "t.txt"));
    ASSERT_EQ(table.size(), 9u);  // the header and iterations 0 … 7
    std::vector<std::string> rows;
    std::vector<std::pair<std::string, int>> series;
    for (const std::string& e : lines_of(read_file(told / "e.txt"))) {
        if (contains(e, R"("event":"progress","stage":"iteration")")) {
            char row[96];
            std::snprintf(row, sizeof row, "%d\t%e\t%e", static_cast<int>(event_number(e, "done")), event_number(e, "residual"),
                          event_number(e, "rmse"));
            rows.push_back(row);
            EXPECT_EQ(event_number(e, "total"), 7) << e;
        }
        if (contains(e, R"("role":"output")") && contains(e, R"("format":"raw")"))
            series.emplace_back(e.substr(e.find("\"name\":\"") + 8, e.find("\",\"role\"") - e.find("\"name\":\"") - 8),
                                static_cast<int>(event_number(e, "iteration")));
    }
    EXPECT_EQ(rows, std::vector<std::string>(table.begin() + 1, table.end()));
    const std::vector<std::pair<std::string, int>> expected = {{"ir_0003.img", 3}, {"ir_0006.img", 6}, {"ir.img", 7}};
    EXPECT_EQ(series, expected);

    // Without a reference the events carry no RMSE, as the table has none.
    const ToolRun alone = run_tool_with("iterative_recon", {}, answers(recon_answers({{4, "30"}, {5, "0"}, {6, "1"}, {12, "2"}})),
                                        told.path(), {"CT_EVENTS=" + (told / "e2.txt").string()});
    ASSERT_EQ(alone.exit_status, 0) << alone.err;
    int progress = 0;
    for (const std::string& e : lines_of(read_file(told / "e2.txt"))) {
        if (!contains(e, R"("stage":"iteration")")) continue;
        ++progress;
        EXPECT_TRUE(contains(e, "\"residual\":") && !contains(e, "\"rmse\"")) << e;
    }
    EXPECT_EQ(progress, 3);
}

TEST(IterativeRecon, BadAnswersAreRefusedByNameWithNoOutput) {
    ScratchDir dir;
    write_floats(dir / "s.prj", std::vector<float>(30 * 64, 0.5f));
    write_floats(dir / "small.img", std::vector<float>(32 * 32, 0.1f));
    const std::vector<std::pair<std::map<int, std::string>, std::string>> cases = {
        {{{12, "0"}}, "反復回数 [0]"},
        {{{12, "-3"}}, "反復回数 [-3]"},
        {{{11, "3"}, {14, "31"}}, "サブセット数 [31]"},
        {{{13, "0"}}, "緩和係数 [0]"},
        {{{13, "-0.5"}}, "緩和係数 [-0.5]"},
        {{{21, "small.img"}}, "[small.img]"},
        {{{3, "29"}}, "[s.prj]"},
        {{{6, "4"}}, "最後の投影番号 116"},
        {{{11, "7"}}, "方法 [7]"},
        {{{11, "5"}, {17, "0"}}, "入射光子数 [0]"},
    };
    for (const auto& [changed, named] : cases) {
        const ToolRun run = run_tool("iterative_recon", answers(recon_answers(changed)), dir.path());
        EXPECT_EQ(run.exit_status, 1) << named;
        EXPECT_NE(run.err.find(sjis(named)), std::string::npos) << named << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "ir.img")) << named;
        EXPECT_FALSE(std::filesystem::exists(dir / "t.txt")) << named;
    }
    // view_subset: views beyond the half turn, and a file of another size.
    for (const auto& [lines, named] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"s.prj", "64", "30", "o.prj", "20", "2", "6"}, "最後の投影番号 30"},
             {{"s.prj", "64", "31", "o.prj", "0", "1", "5"}, "[s.prj]"}}) {
        const ToolRun run = run_tool("view_subset", answers(lines), dir.path());
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_NE(run.err.find(sjis(named)), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "o.prj"));
    }
}
