#include "common/console_text.h"
#include "tests/support/tool_runner.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleText, ShiftJisBytesAndDisplayColumns) {
    EXPECT_EQ(to_shift_jis("周波数"), "\x8E\xFC\x94\x67\x90\x94");
    EXPECT_EQ(display_columns(" 2. 画像の幅　"), 14u);  // full-width blank counts 2
    EXPECT_EQ(display_columns("LSFを求める"), 11u);
    EXPECT_EQ(to_shift_jis("（１）δ"), "\x81\x69\x82\x50\x81\x6A\x83\xC2");
}

TEST(ConsoleText, PaddingCountsColumnsNotBytes) {
    EXPECT_EQ(pad_to_columns("画像", 6), "画像  ");
    EXPECT_EQ(pad_to_columns("画像の幅", 4), "画像の幅");  // never cut
}

TEST(ConsoleText, PipesGetShiftJis) {
    std::FILE* pipe_like = stream_writing();
    EXPECT_FALSE(stream_takes_utf8(pipe_like));
    EXPECT_EQ(console_encoding_of(pipe_like, "度"), "\x93\x78");
    std::fclose(pipe_like);
}

}  // namespace
