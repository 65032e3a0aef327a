// The system's side of the suite, held to the same results on Linux and on
// Windows (where these tests run under wine).

#include "common/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/failure.h"
#include "common/output_file.h"
#include "common/raw_file.h"
#include "tests/support/tool_runner.h"

namespace {

std::string utf8_of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(Cp932, EveryCharacterOfTheBasicPlaneAsIconvConvertsIt) {
    // One hash (FNV-1a) over the code page 932 form of every character from
    // U+0001 to U+FFFF but the surrogates, each form closed by a NUL. The
    // value is that of glibc's iconv; Windows' own tables must give the same.
    std::uint64_t hash = 14695981039346656037ull;
    int unmapped = 0;
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string bytes = utf8_to_cp932(utf8_of(c));
        if (bytes == "?" && c != U'?') ++unmapped;
        for (char b : bytes + '\0') hash = (hash ^ static_cast<unsigned char>(b)) * 1099511628211ull;
    }
    EXPECT_EQ(unmapped, 54082);
    EXPECT_EQ(hash, 1024628477176742145ull);
}

TEST(Cp932, CharactersWithoutAFormBecomeOneQuestionMark) {
    EXPECT_EQ(utf8_to_cp932("é"), "?");  // no best-fit "e"
    EXPECT_EQ(utf8_to_cp932("a😀b"), "a?b");  // outside the basic plane
    EXPECT_EQ(utf8_to_cp932("x\xE6\x97y"), "x?y");  // a cut UTF-8 sequence
    EXPECT_EQ(utf8_to_cp932("周波数"), "\x8E\xFC\x94\x67\x90\x94");
}

TEST(Platform, MemoryIsKnown) { EXPECT_GT(available_memory_bytes(), 1024.0L * 1024 * 1024 / 16); }

TEST(Platform, TablesHoldLfLineEndsAndTheNullDeviceTakesAnything) {
    ScratchDir dir;
    const double values[] = {1.0, 2.5};
    write_column_table((dir / "t.txt").string(), values, 2, "%f\n");
    EXPECT_EQ(read_file(dir / "t.txt"), "1.000000\n2.500000\n");
#ifdef _WIN32
    const char* null_device = "NUL";
#else
    const char* null_device = "/dev/null";
#endif
    OutputFile out(null_device);
    std::fputs("discarded\n", out.stream());
    out.close();
    EXPECT_EQ(std::filesystem::directory_iterator(dir.path())->path().filename(), "t.txt");
}

TEST(Platform, AnOutputThatIsNeverFinishedLeavesNothingBehind) {
    // The stream closed without finishing, as when the run is killed:
    // the system itself removes the temporary file.
    ScratchDir dir;
    write_file(dir / "x.img", "previous");
    PendingOutput output;
    ASSERT_TRUE(open_pending_output((dir / "x.img").string(), output));
    std::fputs("half", output.stream);
    std::fclose(output.stream);
    EXPECT_EQ(read_file(dir / "x.img"), "previous");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

// A name typed in Shift_JIS names that very file on every system: on
// Windows the wide name it decodes to, whatever the ANSI code page is; in
// WebAssembly, whose names are JavaScript strings, the UTF-8 name.
TEST(Platform, AShiftJisNameIsThatFileForReadingAndWriting) {
    ScratchDir dir;
    const std::string typed = (dir.path().string() + "/") + sjis("試験画像.img");
    {
        OutputFile out(typed);
        std::fputs("written", out.stream());
        out.close();
    }
    std::FILE* in = open_for_reading(typed, "rb");
    ASSERT_NE(in, nullptr);
    char bytes[16] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, in), 7u);
    EXPECT_EQ(regular_file_size(in), 7);
    std::fclose(in);
    const std::filesystem::path only = std::filesystem::directory_iterator(dir.path())->path().filename();
#ifdef _WIN32
    EXPECT_EQ(only.wstring(), L"試験画像.img");
#elif defined(__EMSCRIPTEN__)
    EXPECT_EQ(only.string(), "試験画像.img");
#else
    EXPECT_EQ(only.string(), sjis("試験画像.img"));
#endif
}

TEST(Platform, OnlyRegularFilesHaveASize) {
    ScratchDir dir;
    write_file(dir / "x.img", std::string(12, 'x'));
    std::FILE* file = open_for_reading((dir / "x.img").string(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(regular_file_size(file), 12);
    std::fclose(file);
#ifdef _WIN32
    OutputFile null_device("NUL");
#else
    OutputFile null_device("/dev/null");
#endif
    EXPECT_EQ(regular_file_size(null_device.stream()), -1);
    null_device.close();
}

// Windows drops the trailing blanks of a name and would open another file:
// such an answer is refused there with its reason; elsewhere it is a name.
TEST(Platform, NamesEndingInBlanksAreRefusedWithTheReasonWhereTheSystemDropsThem) {
    ScratchDir dir;
    write_file(dir / "x.img", "kept");
    for (const std::string name : {"   ", "x.img  "}) {
        const std::string path = name == "   " ? name : (dir / name).string();
        const bool refused = file_name_problem(name) != nullptr;
#ifdef _WIN32
        EXPECT_TRUE(refused) << "[" << name << "]";
#else
        EXPECT_FALSE(refused) << "[" << name << "]";
#endif
        if (!refused) continue;
        EXPECT_EQ(open_for_reading(path, "rb"), nullptr);
        try {
            OutputFile out(path);
            ADD_FAILURE() << "[" << name << "] opened for writing";
        } catch (const Failure& failure) {
            EXPECT_NE(std::string(failure.what()).find(file_name_problem(name)), std::string::npos) << failure.what();
        }
    }
    EXPECT_EQ(file_name_problem("x.img"), nullptr);
    EXPECT_EQ(read_file(dir / "x.img"), "kept");
}

}  // namespace
