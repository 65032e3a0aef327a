#include "common/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/raw_file.h"
#include "tests/support/tool_runner.h"

namespace {

std::vector<std::string> folder_entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputFile, AnUnfinishedFileLeavesThePreviousOneAndNoLitter) {
    ScratchDir dir;
    const auto target = dir / "image.img";
    write_file(target, "previous");
    {
        OutputFile out(target.string());
        std::fputs("half of the new content", out.stream());
        std::fflush(out.stream());
        EXPECT_EQ(read_file(target), "previous");
    }  // dropped without close, as when the run ends early
    EXPECT_EQ(read_file(target), "previous");
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"image.img"});
}

TEST(OutputFile, CloseReplacesTheFileAndKeepsItsPermissions) {
    ScratchDir dir;
    const auto target = dir / "table.txt";
    write_file(target, "old old old old");
    chmod(target.string().c_str(), 0640);
    OutputFile out = open_table_file(target.string());
    std::fputs("new\n", out.stream());
    out.close();
    EXPECT_EQ(read_file(target), "new\n");
    struct stat info {};
    stat(target.string().c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"table.txt"});
}

TEST(OutputFile, NewFilesAppearOnlyWhenComplete) {
    ScratchDir dir;
    const auto target = dir / "new.img";
    OutputFile out(target.string());
    EXPECT_FALSE(std::filesystem::exists(target));
    const double samples[] = {1.0, 2.0};
    out.write_samples(samples, 2);
    out.close();
    EXPECT_EQ(read_floats(target), (std::vector<float>{1.0f, 2.0f}));
}

TEST(OutputFile, DevicesAreWrittenDirectly) {
    OutputFile out("/dev/null");
    std::fputs("discarded", out.stream());
    out.close();
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(OutputFile, LinksAreFollowedNotReplaced) {
    ScratchDir dir;
    write_file(dir / "real.txt", "before");
    std::filesystem::create_symlink("real.txt", dir / "link.txt");
    OutputFile out((dir / "link.txt").string());
    std::fputs("after", out.stream());
    out.close();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
    EXPECT_EQ(read_file(dir / "real.txt"), "after");
}

TEST(OutputFileDeathTest, OpenFailuresAreReportedWhereOpeningWouldFail) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EXIT(as_tool([&] { OutputFile((dir / "folder").string()); }), testing::ExitedWithCode(1), "folder\\]");
    EXPECT_EXIT(as_tool([&] { OutputFile((dir / "missing" / "x.img").string()); }), testing::ExitedWithCode(1), "x\\.img\\]");
    EXPECT_EXIT(as_tool([&] { OutputFile(""); }), testing::ExitedWithCode(1), "\\[\\]");
    EXPECT_EXIT(as_tool([&] { OutputFile((dir / std::string(300, 'n')).string()); }), testing::ExitedWithCode(1), "nnn\\]");
    EXPECT_EQ(folder_entries(dir.path()), std::vector<std::string>{"folder"});
}

}  // namespace

namespace {

TEST(OutputFile, NamesAsLongAsAFolderTakes) {
    ScratchDir dir;
    const auto target = dir / std::string(255, 'n');
    OutputFile out(target.string());
    std::fputs("x", out.stream());
    out.close();
    EXPECT_EQ(read_file(target), "x");
}

}  // namespace
