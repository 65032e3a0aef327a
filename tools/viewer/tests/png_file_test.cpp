#include "tools/viewer/png_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/tool_runner.h"
#include "tools/viewer/tests/png_reading.h"

namespace {

namespace fs = std::filesystem;

const std::vector<unsigned char> three_by_two{0, 1, 2, 253, 254, 255};

std::vector<fs::path> folder_entries(const fs::path& folder) {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder)) entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

mode_t permissions_of(const fs::path& file) {
    struct stat info {};
    ::stat(file.string().c_str(), &info);
    return info.st_mode & 07777;
}

TEST(PngFile, EncodesEightBitGreyRowZeroFirst) {
    ScratchDir dir;
    std::FILE* out = std::fopen((dir / "p.png").string().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(encode_grey_png(out, three_by_two.data(), 3, 2));
    std::fclose(out);
    const GreyPicture picture = read_grey_png(dir / "p.png");
    ASSERT_TRUE(picture.ok);
    EXPECT_TRUE(picture.plain_grey);
    EXPECT_EQ(picture.width, 3u);
    EXPECT_EQ(picture.height, 2u);
    EXPECT_EQ(picture.pixels, three_by_two);
}

TEST(PngFile, PicturesWiderThanLibpngsDefaultLimit) {
    ScratchDir dir;
    std::vector<unsigned char> row(1500000, 0);
    row.back() = 255;
    std::FILE* out = std::fopen((dir / "wide.png").string().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(encode_grey_png(out, row.data(), 1500000, 1));
    std::fclose(out);
    const GreyPicture picture = read_grey_png(dir / "wide.png");
    ASSERT_TRUE(picture.ok);
    EXPECT_EQ(picture.pixels, row);
}

TEST(PngFile, ANewFileAppearsWholeWithTheUsualPermissions) {
    ScratchDir dir;
    const mode_t mask = ::umask(022);
    write_grey_png((dir / "new.png").string(), three_by_two, 3, 2);
    ::umask(mask);
    EXPECT_EQ(read_grey_png(dir / "new.png").pixels, three_by_two);
    EXPECT_EQ(permissions_of(dir / "new.png"), 0644u);
    // The temporary file is gone: it became the picture.
    EXPECT_EQ(folder_entries(dir.path()), std::vector<fs::path>{"new.png"});
}

TEST(PngFile, AnExistingFileIsReplacedKeepingItsPermissions) {
    ScratchDir dir;
    write_file(dir / "old.png", std::string(100000, 'x'));
    fs::permissions(dir / "old.png", fs::perms(0600));
    write_grey_png((dir / "old.png").string(), three_by_two, 3, 2);
    const GreyPicture picture = read_grey_png(dir / "old.png");
    EXPECT_EQ(picture.pixels, three_by_two);
    EXPECT_LT(fs::file_size(dir / "old.png"), 1000u);
    EXPECT_EQ(permissions_of(dir / "old.png"), 0600u);
    EXPECT_EQ(folder_entries(dir.path()), std::vector<fs::path>{"old.png"});
}

TEST(PngFile, ALinkKeepsPointingAtTheNewPicture) {
    ScratchDir dir;
    fs::create_directory(dir / "real");
    write_file(dir / "real" / "p.png", "old");
    fs::create_symlink("real/p.png", dir / "link.png");
    write_grey_png((dir / "link.png").string(), three_by_two, 3, 2);
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(read_grey_png(dir / "real" / "p.png").pixels, three_by_two);
    EXPECT_EQ(folder_entries(dir / "real"), std::vector<fs::path>{"p.png"});
}

TEST(PngFile, ANameWithoutAFolderIsWrittenInTheWorkingFolder) {
    ScratchDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    write_grey_png("here.png", three_by_two, 3, 2);
    fs::current_path(before);
    EXPECT_EQ(read_grey_png(dir / "here.png").pixels, three_by_two);
    EXPECT_EQ(folder_entries(dir.path()), std::vector<fs::path>{"here.png"});
}

}  // namespace
