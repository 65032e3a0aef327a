#include "common/raw_file.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/sample_arrays.h"
#include "tests/support/tool_runner.h"

namespace {

TEST(RawFile, NarrowsToTheNearestFloat) {
    ScratchDir dir;
    const auto file = (dir / "a.raw").string();
    write_raw_file(file, {0.1, 1e39, -1e39, -0.0, 1.0}, 5);
    const std::string bytes = read_file(file);
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(bytes.substr(0, 4), "\xCD\xCC\xCC\x3D");
    const auto back = read_floats(file);
    EXPECT_EQ(back[1], INFINITY);
    EXPECT_EQ(back[2], -INFINITY);
    EXPECT_TRUE(std::signbit(back[3]));

    std::vector<double> read(5);
    read_raw_file(file, read, 5);
    EXPECT_EQ(read[0], 0.10000000149011612);
    EXPECT_EQ(read[4], 1.0);
}

TEST(RawFile, CountsOfZeroOrLessTouchNoSample) {
    ScratchDir dir;
    const auto file = (dir / "empty.raw").string();
    write_raw_file(file, {1.0}, 0);
    EXPECT_EQ(read_file(file).size(), 0u);
    write_raw_file(file, {1.0}, -3);
    EXPECT_EQ(read_file(file).size(), 0u);
    std::vector<double> none;
    read_raw_file(file, none, -3);
}

TEST(RawFile, LongerFilesAreReadFromTheStart) {
    ScratchDir dir;
    write_floats(dir / "long.raw", {1, 2, 3, 4});
    std::vector<double> two(2);
    read_raw_file((dir / "long.raw").string(), two, 2);
    EXPECT_EQ(two, (std::vector<double>{1, 2}));
}

TEST(RawFile, ShortFilesLeaveZerosAndWarn) {
    ScratchDir dir;
    write_floats(dir / "short.raw", {5, 6});
    std::vector<double> samples(4, 9.0);
    testing::internal::CaptureStderr();
    read_raw_file((dir / "short.raw").string(), samples, 4);
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_EQ(samples, (std::vector<double>{5, 6, 0, 0}));
    EXPECT_NE(warning.find("short.raw"), std::string::npos);
    EXPECT_NE(warning.find("2"), std::string::npos);
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1);
}

TEST(RawFileDeathTest, FailuresEndTheToolWithStatusOne) {
    ScratchDir dir;
    std::vector<double> samples(1);
    const std::string missing = (dir / "missing.img").string();
    EXPECT_EXIT(as_tool([&] { read_raw_file(missing, samples, 1); }), testing::ExitedWithCode(1),
                "missing\\.img\\]\\.");
    EXPECT_EXIT(as_tool([&] { write_raw_file((dir / "no" / "such" / "dir.img").string(), samples, 1); }), testing::ExitedWithCode(1),
                "dir.img");
    EXPECT_EXIT(as_tool([&] { write_raw_file("/dev/full", samples, 1); }), testing::ExitedWithCode(1),
                "/dev/full\\]\\.");
}

TEST(SampleArrays, CountsDoNotOverflowAndNegativeCountsAreRefused) {
    EXPECT_EQ(sample_count(100000, 100000), 10000000000LL);
    EXPECT_EQ(sample_count(-2, -3), 6);
    EXPECT_EXIT(as_tool([&] { require_sample_count(-1, "幅"); }), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(as_tool([&] { take_samples(sample_count(2147483647, 2147483647)); }), testing::ExitedWithCode(1), "");
    EXPECT_TRUE(take_samples(0).empty());
    EXPECT_EQ(take_samples(3), (std::vector<double>{0, 0, 0}));
}

}  // namespace
