// The system's side of the suite, held to the same results on Linux and on
// Windows (where these tests run under wine).

#include "common/platform.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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
    EXPECT_EQ(utf8_to_cp932("é"), "?");          // no best-fit "e"
    EXPECT_EQ(utf8_to_cp932("a😀b"), "a?b");     // outside the basic plane
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

}  // namespace
