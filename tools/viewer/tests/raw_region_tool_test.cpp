// raw_region run from build/bin: the rectangle's samples in their order,
// and a rectangle that leaves the image refused without a file.

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/tool_runner.h"

namespace {

// A 6 × 5 image whose sample (row i, column j) is 10·i + j.
std::vector<float> numbered_image() {
    std::vector<float> image;
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 6; ++j) image.push_back(static_cast<float>(10 * i + j));
    return image;
}

TEST(RawRegion, TakesTheRectangleRowByRowUpToTheImagesEdges) {
    ScratchDir dir;
    write_floats(dir / "in.img", numbered_image());
    // Columns 3 … 5 of rows 2 … 4: the rectangle reaches the right and bottom edges.
    const ToolRun run = run_tool("raw_region", answers({"in.img", "6", "5", "3", "2", "3", "3", "out.img"}), dir.path());
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(read_floats(dir / "out.img"), (std::vector<float>{23, 24, 25, 33, 34, 35, 43, 44, 45}));
}

TEST(RawRegion, RefusesARectangleOutsideTheImageAndWritesNothing) {
    ScratchDir dir;
    write_floats(dir / "in.img", numbered_image());
    // One column too wide, one row too low, a start beyond the image, an empty side.
    for (const std::vector<std::string>& region :
         {std::vector<std::string>{"3", "2", "4", "3"}, {"3", "2", "3", "4"}, {"6", "0", "1", "1"}, {"0", "0", "0", "2"}}) {
        const ToolRun run = run_tool("raw_region", answers({"in.img", "6", "5", region[0], region[1], region[2], region[3], "out.img"}), dir.path());
        EXPECT_EQ(run.exit_status, 1) << region[0] << region[1] << region[2] << region[3];
        EXPECT_FALSE(std::filesystem::exists(dir / "out.img"));
    }
}

}  // namespace
