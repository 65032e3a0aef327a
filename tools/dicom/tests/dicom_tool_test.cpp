// dicom_to_raw and raw_to_dicom run from build/bin: the round trip, the
// header facts on the console and in the events, the validator's verdict
// on written files, and the refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "tests/support/tool_runner.h"

namespace {

namespace fs = std::filesystem;

const fs::path pydicom_files = CT_PYDICOM_FILES;
const fs::path pydicom_hu = CT_PYDICOM_HU;  // pydicom's numbers of those files, as float32

ToolRun english(const std::string& tool, const std::vector<std::string>& lines, const ScratchDir& dir,
                const std::vector<std::string>& environment = {}) {
    std::vector<std::string> env = {"CT_LANG=en", "CT_ENCODING=utf-8"};
    env.insert(env.end(), environment.begin(), environment.end());
    return run_tool_with(tool, {}, answers(lines), dir.path(), env);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(DicomTools, HounsfieldRoundTripIsExactForWholeNumbersAndRoundsTiesToEven) {
    ScratchDir dir;
    // 8 × 3: whole CT numbers over the range of a scanner, then halves, then values beyond 16 bits.
    const std::vector<float> hu = {-1024, -1000, -1, 0, 1, 40, 1000, 3071,
                                   0.5f, 1.5f, -2.5f, 2.4f, -0.6f, 32767, -32768, 100.5f,
                                   40000, -40000, 7, 8, 9, 10, 11, 12};
    write_floats(dir / "hu.img", hu);
    const ToolRun write = english("raw_to_dicom", {"hu.img", "8", "3", "0", "", "0.5", "-600", "1500", "hu.dcm"}, dir);
    ASSERT_EQ(write.exit_status, 0) << write.err;
    EXPECT_TRUE(contains(write.err, "warning: 2 pixels")) << write.err;
    // UIDs come from the content: the same answers give the same bytes, another window other UIDs.
    ASSERT_EQ(english("raw_to_dicom", {"hu.img", "8", "3", "0", "", "0.5", "-600", "1500", "again.dcm"}, dir).exit_status, 0);
    ASSERT_EQ(english("raw_to_dicom", {"hu.img", "8", "3", "0", "", "0.5", "40", "400", "other.dcm"}, dir).exit_status, 0);
    EXPECT_EQ(read_file(dir / "hu.dcm"), read_file(dir / "again.dcm"));
    const std::string first = read_file(dir / "hu.dcm"), other = read_file(dir / "other.dcm");
    const std::size_t uid = first.find("2.25.");
    ASSERT_NE(uid, std::string::npos);
    EXPECT_EQ(other.find(first.substr(uid, 30)), std::string::npos);
    const ToolRun read = english("dicom_to_raw", {"hu.dcm", "1", "0", "", "back.img"}, dir,
                                 {"CT_EVENTS=" + (dir / "events.txt").string()});
    ASSERT_EQ(read.exit_status, 0) << read.err;
    const std::vector<float> back = read_floats(dir / "back.img");
    const std::vector<float> expected = {-1024, -1000, -1, 0, 1, 40, 1000, 3071,
                                         0, 2, -2, 2, -1, 32767, -32768, 100,
                                         32767, -32768, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(back, expected);
    for (const char* line : {"Image size: 8 x 3 (of 1 frames, frame 1)", "Pixel spacing: rows 0.500000 mm, columns 0.500000 mm",
                             "Rescale: slope 1.000000, intercept 0.000000",
                             "Display window of the file: centre -600.000000, width 1500.000000", "Modality: CT",
                             "Transfer syntax: Explicit VR Little Endian (1.2.840.10008.1.2.1)"})
        EXPECT_TRUE(contains(read.out, line)) << line << "\n"
                                              << read.out;
    const std::string events = read_file(dir / "events.txt");
    EXPECT_TRUE(contains(events, R"("format":"dicom","quantity":"CT number","unit":"HU","rows":3,"columns":8)")) << events;
    EXPECT_TRUE(contains(events, R"("window_center":-600.0,"window_width":1500.0,"modality":"CT")")) << events;
    EXPECT_TRUE(contains(events, R"("name":"back.img","role":"output","format":"raw","quantity":"CT number","unit":"HU","rows":3,"columns":8)"))
        << events;
}

// Every transfer syntax the tool reads, 8 and 16 bits, signed and unsigned:
// the same float32 bytes as pydicom's modality LUT in every build.
TEST(DicomTools, EveryPixelIsPydicomsHounsfieldNumber) {
    if (pydicom_hu.empty() || !fs::exists(pydicom_hu)) GTEST_SKIP() << "pydicom (Debian: python3-pydicom) is not installed";
    ScratchDir dir;
    std::string names = CT_PYDICOM_READ;
    int files = 0;
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find(',', at), names.size());
        const std::string name = names.substr(at, end - at);
        at = end + 1;
        const ToolRun run = english("dicom_to_raw", {(pydicom_files / name).string(), "", "", "", "hu.img"}, dir);
        ASSERT_EQ(run.exit_status, 0) << name << ": " << run.err;
        const std::string expected = read_file(pydicom_hu / (name + ".f32"));
        ASSERT_FALSE(expected.empty()) << name;
        EXPECT_TRUE(read_file(dir / "hu.img") == expected) << name;
        ++files;
    }
    EXPECT_EQ(files, 6);
}

TEST(DicomTools, AttenuationImagesGoThroughHounsfieldAtTheWaterMu) {
    ScratchDir dir;
    // A reconstruction's μ·Δ (Δ = 0.078125 cm): air, water, and 2.5 times water.
    const double water = 0.19, pixel_cm = 0.078125;
    write_floats(dir / "a.img", {0.0f, static_cast<float>(water * pixel_cm), static_cast<float>(2.5 * water * pixel_cm), 0.0f});
    ASSERT_EQ(english("raw_to_dicom", {"a.img", "2", "2", "2", "0.19", "0.78125", "", "", "a.dcm"}, dir).exit_status, 0);
    ASSERT_EQ(english("dicom_to_raw", {"a.dcm", "1", "0", "", "hu.img"}, dir).exit_status, 0);
    EXPECT_EQ(read_floats(dir / "hu.img"), (std::vector<float>{-1000, 0, 1500, -1000}));
    ASSERT_EQ(english("dicom_to_raw", {"a.dcm", "1", "1", "0.2", "mu.img"}, dir).exit_status, 0);
    EXPECT_EQ(read_floats(dir / "mu.img"), (std::vector<float>{0.0f, 0.2f, 0.5f, 0.0f}));
    ASSERT_EQ(english("dicom_to_raw", {"a.dcm", "1", "2", "0.19", "per_pixel.img"}, dir).exit_status, 0);
    const std::vector<float> per_pixel = read_floats(dir / "per_pixel.img");
    EXPECT_NEAR(per_pixel[1], water * pixel_cm, 1e-9);
    EXPECT_NEAR(per_pixel[2], 2.5 * water * pixel_cm, 1e-9);
}

TEST(DicomTools, WrittenFilesPassTheValidator) {
    if (!fs::exists("/usr/bin/dciodvfy")) GTEST_SKIP() << "dciodvfy (Debian: dicom3tools) is not installed";
    ScratchDir dir;
    std::vector<float> image(64 * 48, 0.0f);
    write_floats(dir / "a.img", image);
    ASSERT_EQ(english("raw_to_dicom", {"a.img", "64", "48", "", "", "", "", "", "a.dcm"}, dir).exit_status, 0);
    const std::string report = (dir / "report.txt").string();
    ASSERT_EQ(std::system(("/usr/bin/dciodvfy " + (dir / "a.dcm").string() + " > " + report + " 2>&1").c_str()), 0);
    const std::string verdict = read_file(report);
    EXPECT_TRUE(contains(verdict, "CTImage")) << verdict;
    EXPECT_FALSE(contains(verdict, "Error")) << verdict;
}

TEST(DicomTools, BadFilesAndAnswersAreRefusedByNameWithoutOutput) {
    ScratchDir dir;
    write_floats(dir / "raw.img", std::vector<float>(300, 1.0f));
    write_floats(dir / "a.img", std::vector<float>(4, 0.0f));
    ASSERT_EQ(english("raw_to_dicom", {"a.img", "2", "2", "0", "", "", "", "", "one.dcm"}, dir).exit_status, 0);
    struct Case {
        std::vector<std::string> answers;
        std::string says;
    };
    std::vector<Case> cases = {
        {{"raw.img", "1", "0", "", "o.img"}, "error: cannot read a DICOM image from [raw.img] (it is not a DICOM file"},
        {{"one.dcm", "2", "0", "", "o.img"}, "error: the frame number is out of range [2] (one.dcm has 1 frames)"},
        {{"one.dcm", "0", "0", "", "o.img"}, "error: the frame number must be 1 or more [0]"},
        {{"one.dcm", "1", "3", "", "o.img"}, "error: the unit must be 0, 1 or 2 [3]"},
        {{"one.dcm", "1", "1", "0", "o.img"}, "must be positive"},
    };
    if (fs::exists(pydicom_files)) {
        const std::string p = pydicom_files.string() + "/";
        cases.push_back({{p + "JPEG2000.dcm", "1", "0", "", "o.img"},
                         "images of this transfer syntax are not read [" + p + "JPEG2000.dcm] (JPEG 2000 Image Compression 1.2.840.10008.1.2.4.91)"});
        cases.push_back({{p + "MR_truncated.dcm", "1", "0", "", "o.img"}, "the file ends inside its pixel data"});
        cases.push_back({{p + "rtplan.dcm", "1", "0", "", "o.img"}, "it holds no pixel data"});
        cases.push_back({{p + "ExplVR_BigEnd.dcm", "1", "0", "", "o.img"}, "error: not a greyscale image"});
        cases.push_back({{p + "rtdose.dcm", "1", "0", "", "o.img"}, "(allocated 32, stored 32)"});
    }
    for (const Case& c : cases) {
        const ToolRun run = english("dicom_to_raw", c.answers, dir);
        EXPECT_EQ(run.exit_status, 1) << c.answers[0];
        EXPECT_TRUE(contains(run.err, c.says)) << run.err;
        EXPECT_FALSE(fs::exists(dir / "o.img")) << c.answers[0];
    }
    // A file whose pixel data was cut: one byte short of its declared length.
    std::string bytes = read_file(dir / "one.dcm");
    bytes.pop_back();
    write_file(dir / "cut.dcm", bytes);
    const ToolRun cut = english("dicom_to_raw", {"cut.dcm", "1", "0", "", "o.img"}, dir);
    EXPECT_EQ(cut.exit_status, 1);
    EXPECT_TRUE(contains(cut.err, "[cut.dcm]")) << cut.err;
    EXPECT_FALSE(fs::exists(dir / "o.img"));

    const ToolRun narrow = english("raw_to_dicom", {"a.img", "2", "2", "0", "", "", "40", "0.5", "w.dcm"}, dir);
    EXPECT_EQ(narrow.exit_status, 1);
    EXPECT_TRUE(contains(narrow.err, "the display window width must be 1 or more [0.500000]")) << narrow.err;
    EXPECT_FALSE(fs::exists(dir / "w.dcm"));
}

}  // namespace
