#include "common/dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/console_text.h"
#include "tests/support/tool_runner.h"

namespace {

struct Record {
    std::string name;
    std::int32_t count = 0;
    double length = 0;
};

// Runs a three-question dialogue on the given answers; returns what it printed.
std::string converse(const std::string& input, Record& r) {
    std::FILE* in = stream_reading(input);  // an empty input ends at once
    std::FILE* out = std::tmpfile();
    run_dialogue("テスト", 20,
                 {
                     {" 1. ファイル名", "input", r.name, "in.img", FileUse::read},
                     {" 2. 画像の幅", "width", r.count, 256},
                     {" 3. 画素長", "pixel_length", r.length, 0.078125},
                 },
                 {in, out});
    std::fclose(in);
    return written_and_closed(out);
}

TEST(Dialogue, EnterKeepsEveryDefaultAndTheQuestionsAreShown) {
    Record r;
    const std::string printed = converse("\n\n\n", r);
    EXPECT_EQ(r.name, "in.img");
    EXPECT_EQ(r.count, 256);
    EXPECT_EQ(r.length, 0.078125);
    // Labels padded to 20 columns counted in Shift_JIS bytes.
    EXPECT_EQ(printed, to_shift_jis("\nテスト\n\n"
                                    "  1. ファイル名       [in.img] :"
                                    "  2. 画像の幅         [256] :"
                                    "  3. 画素長           [0.078125] :"));
}

TEST(Dialogue, IntegerAnswersFollowStrtolSaturatedTo32Bits) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"12abc", 12}, {"3.7", 3},   {"abc", 0},           {" -5", -5},         {"   ", 0},
        {"+7", 7},     {"0x1F", 0}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
    };
    for (const auto& [answer, value] : cases) {
        Record r;
        converse(std::string("\n") + answer + "\n\n", r);
        EXPECT_EQ(r.count, value) << answer;
    }
}

TEST(Dialogue, RealAnswersFollowStrtod) {
    const std::pair<const char*, double> cases[] = {
        {"1e-3", 0.001}, {".5", 0.5}, {"1,5", 1.0}, {"abc", 0.0}, {" -2.25x", -2.25}, {"   ", 0.0},
    };
    for (const auto& [answer, value] : cases) {
        Record r;
        converse(std::string("\n\n") + answer + "\n", r);
        EXPECT_EQ(r.length, value) << answer;
    }
}

TEST(Dialogue, NamesAreTakenAsTyped) {
    Record r;
    converse("  spaced name.img  \n", r);
    EXPECT_EQ(r.name, "  spaced name.img  ");
    Record blanks;
    converse("   \n", blanks);
    EXPECT_EQ(blanks.name, "   ");
}

TEST(Dialogue, LongLinesSpillIntoTheNextQuestion) {
    Record r;
    const std::string long_line = std::string(255, 'a') + "42\n";
    converse(long_line + "\n", r);
    EXPECT_EQ(r.name, std::string(255, 'a'));
    EXPECT_EQ(r.count, 42);  // the rest of the long line answered question 2
    EXPECT_EQ(r.length, 0.078125);
}

TEST(Dialogue, ALineOfExactly255BytesLeavesItsLineEndForTheNextQuestion) {
    Record r;
    converse(std::string(255, 'b') + "\n7\n", r);
    EXPECT_EQ(r.name, std::string(255, 'b'));
    EXPECT_EQ(r.count, 256);  // the line end alone: Enter
    EXPECT_EQ(r.length, 7.0);
}

TEST(Dialogue, EndOfInputKeepsTheRemainingValuesButShowsEveryQuestion) {
    Record r;
    const std::string printed = converse("out.img\n12", r);  // last answer without line end
    EXPECT_EQ(r.name, "out.img");
    EXPECT_EQ(r.count, 12);
    EXPECT_EQ(r.length, 0.078125);
    EXPECT_NE(printed.find("[0.078125] :"), std::string::npos);

    Record none;
    const std::string silent = converse("", none);
    EXPECT_EQ(none.name, "in.img");
    EXPECT_NE(silent.find("[0.078125] :"), std::string::npos);
}

}  // namespace
