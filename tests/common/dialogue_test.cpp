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

// Runs a three-question dialogue on the given answers; returns what it
// printed, and its warnings in `warned` when asked.
std::string converse(const std::string& input, Record& r, std::string* warned = nullptr) {
    std::FILE* in = stream_reading(input);  // an empty input ends at once
    std::FILE* out = stream_writing();
    std::FILE* err = stream_writing();
    run_dialogue("テスト", 20,
                 {
                     {" 1. ファイル名", "input", r.name, "in.img", FileUse::read},
                     {" 2. 画像の幅", "width", r.count, 256},
                     {" 3. 画素長", "pixel_length", r.length, 0.078125},
                 },
                 {in, out, err});
    std::fclose(in);
    const std::string warnings = written_and_closed(err);
    if (warned != nullptr) *warned = warnings;
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
        {"12abc", 12},
        {"3.7", 3},
        {"abc", 0},
        {" -5", -5},
        {"   ", 0},
        {"+7", 7},
        {"0x1F", 0},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& [answer, value] : cases) {
        Record r;
        converse(std::string("\n") + answer + "\n\n", r);
        EXPECT_EQ(r.count, value) << answer;
    }
}

TEST(Dialogue, RealAnswersFollowStrtod) {
    const std::pair<const char*, double> cases[] = {
        {"1e-3", 0.001},
        {".5", 0.5},
        {"1,5", 1.0},
        {"abc", 0.0},
        {" -2.25x", -2.25},
        {"   ", 0.0},
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

TEST(Dialogue, AnswersThatAreNotCleanNumbersAreNamedWithTheValueUsed) {
    const std::pair<const char*, const char*> integer_cases[] = {
        {"12abc", "数の後に余分な文字があります。12 として"},
        {"2.7", "整数ではありません。2 として"},
        {"abc", "数ではありません。0 として"},
        {"   ", "空白だけです。0 として"},
        {"99999999999", "32ビットの整数の範囲を超えています。2147483647 として"},
        {"-99999999999", "32ビットの整数の範囲を超えています。-2147483648 として"},
    };
    for (const auto& [answer, why] : integer_cases) {
        Record r;
        std::string warned;
        const std::string printed = converse(std::string("\n") + answer + "\n\n", r, &warned);
        EXPECT_EQ(warned, to_shift_jis(std::string(" 警告：「2. 画像の幅」への答え[") + answer + "]は" + why +
                                       "使います。\n"));
        Record quiet;  // the questions and the value are those of today
        EXPECT_EQ(printed, converse(std::string("\n") + answer + "\n\n", quiet));
    }
    const std::pair<const char*, const char*> real_cases[] = {
        {"1,5", "数の後に余分な文字があります。1 として"},
        {"1e999", "有限の実数ではありません（範囲を超えたか無限大）。inf として"},
        {"nan", "有限の実数ではありません（非数）。nan として"},
        {"x", "数ではありません。0 として"},
        {"0.1x", "数の後に余分な文字があります。0.1 として"},
    };
    for (const auto& [answer, why] : real_cases) {
        Record r;
        std::string warned;
        converse(std::string("\n\n") + answer + "\n", r, &warned);
        EXPECT_EQ(warned, to_shift_jis(std::string(" 警告：「3. 画素長」への答え[") + answer + "]は" + why +
                                       "使います。\n"));
    }
    // Clean answers, blanks around them included, and names say nothing.
    for (const char* clean : {"name with blanks  \n42\n0.5\n", "x\n -5 \n1e-3\t\n", "\n+7\n.5\n"}) {
        Record r;
        std::string warned;
        converse(clean, r, &warned);
        EXPECT_EQ(warned, "") << clean;
    }
}

TEST(Dialogue, ACarriageReturnBeforeTheLineEndIsDropped) {
    Record r;
    std::string warned;
    converse("n3-2.txt\r\n12\r\n0.5\r\n", r, &warned);
    EXPECT_EQ(r.name, "n3-2.txt");
    EXPECT_EQ(r.count, 12);
    EXPECT_EQ(r.length, 0.5);
    EXPECT_EQ(warned, "");

    Record enter;  // CR LF alone is Enter
    converse("\r\n\r\n\r\n", enter);
    EXPECT_EQ(enter.name, "in.img");
    EXPECT_EQ(enter.count, 256);

    Record inner;  // any other CR stays in the answer
    converse("a\rb.img\nname\r\r\n", inner);
    EXPECT_EQ(inner.name, "a\rb.img");
    EXPECT_EQ(inner.count, 0);

    Record last;  // a CR that ends the input is part of the answer too
    converse("end.img\r", last);
    EXPECT_EQ(last.name, "end.img\r");
}

TEST(Dialogue, CarriageReturnsAreDroppedBeforeTheInputIsCutInto255Bytes) {
    // 254 bytes and CR LF make one answer of 254 bytes.
    Record fits;
    converse(std::string(254, 'c') + "\r\n7\r\n", fits);
    EXPECT_EQ(fits.name, std::string(254, 'c'));
    EXPECT_EQ(fits.count, 7);
    // 255 bytes and CR LF: the line end alone answers the next question.
    Record full;
    converse(std::string(255, 'd') + "\r\n7\r\n", full);
    EXPECT_EQ(full.name, std::string(255, 'd'));
    EXPECT_EQ(full.count, 256);
    EXPECT_EQ(full.length, 7.0);
}

}  // namespace
