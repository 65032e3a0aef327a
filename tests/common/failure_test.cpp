#include "common/failure.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

#include "common/console_text.h"
#include "common/message_sink.h"
#include "common/tool_start.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tests/support/tool_runner.h"

namespace {

// The failure a call throws, or none.
template <typename Call>
std::optional<Failure> failure_of(Call call) {
    try {
        call();
    } catch (const Failure& f) {
        return f;
    }
    return std::nullopt;
}

TEST(Failure, FailuresThrowTheirKindAndTheMessageInUtf8) {
    ScratchDir dir;
    std::vector<double> samples(1);
    const std::string missing = (dir / "missing.img").string();
    struct Case {
        std::function<void()> call;
        FailureKind kind;
        std::string message;
    };
    const Case cases[] = {
        {[&] { read_raw_file(missing, samples, 1); }, FailureKind::file,
         "エラー：ファイルが開きません[" + missing + "]."},
        {[&] { write_raw_file((dir / "no" / "folder.img").string(), {1.0}, 1); }, FailureKind::file,
         "エラー：ファイルが開きません[" + (dir / "no" / "folder.img").string() + "]."},
        {[] { require_sample_count(-6, "画像の幅 × 高さ"); }, FailureKind::value,
         "エラー：データ数が負です[画像の幅 × 高さ = -6]."},
        {[] { take_samples(sample_count(2147483647, 2147483647)); }, FailureKind::memory, ""},
        {[] { fail_with(" エラー：%d 個[%s].\n", 3, "名前"); }, FailureKind::value, "エラー：3 個[名前]."},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        const std::optional<Failure> failure = failure_of(c.call);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // nothing printed
        ASSERT_TRUE(failure.has_value()) << c.message;
        EXPECT_EQ(failure->kind(), c.kind) << c.message;
        if (!c.message.empty()) {
            EXPECT_EQ(failure->what(), c.message);
        }
    }
}

TEST(CollectingSink, CollectsWarningsInsteadOfPrintingThem) {
    ScratchDir dir;
    write_floats(dir / "short.raw", {5, 6});
    std::vector<double> samples(4);
    CollectingSink catcher;
    testing::internal::CaptureStderr();
    read_raw_file((dir / "short.raw").string(), samples, 4, catcher);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::vector<std::string> warnings = catcher.warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("警告：ファイルのデータが足りません[", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[0].find("（2 個しかありません）."), std::string::npos) << warnings[0];
}

// A worker thread's failure is its own exception, for whoever joins it to
// carry on: nothing counts catchers per thread any more.
TEST(Failure, ThrowsOnEveryThread) {
    std::optional<Failure> caught_elsewhere;
    std::thread([&] { caught_elsewhere = failure_of([] { fail_with(" エラー：%d.\n", 7); }); }).join();
    ASSERT_TRUE(caught_elsewhere.has_value());
    EXPECT_STREQ(caught_elsewhere->what(), "エラー：7.");
}

// The message as each console encoding takes it: the format and the Text
// fills converted, a file name's bytes kept as they are (here not UTF-8).
TEST(Message, ConvertsTheFormatAndTextsButNotFileNames) {
    const char* name = "\x83\x65\x83\x58\x83\x67.img";  // テスト.img in Shift_JIS
    const Message m(" エラー：%sが負です[%s %d].\n", Text{"画像の幅"}, name, 3);
    EXPECT_EQ(m.utf8(), std::string(" エラー：画像の幅が負です[") + name + " 3].\n");
    EXPECT_EQ(to_shift_jis(" エラー："), std::string(" \x83\x47\x83\x89\x81\x5B\x81\x46"));
    const Failure f(FailureKind::file, m);
    EXPECT_EQ(f.what(), std::string("エラー：画像の幅が負です[") + name + " 3].");
    EXPECT_EQ(Message::bytes("a\tb\n").utf8(), "a\tb\n");
}

TEST(ToolMainDeathTest, AFailureEndsTheToolWithItsMessageAndStatus1) {
    ToolDialogue dialogue{{"t", "t", 0, "", {}, "", nullptr}, {}};
    char name[] = "t";
    char* argv[] = {name, nullptr};
    EXPECT_EXIT(std::exit(tool_main(1, argv, dialogue,
                                    [] { fail_with_kind(FailureKind::file, " エラー：ファイルが開きません[%s].\n", "x"); })),
                testing::ExitedWithCode(1), "x\\]\\.");
    EXPECT_EXIT(std::exit(tool_main(1, argv, dialogue, [] { throw std::bad_alloc(); })), testing::ExitedWithCode(1),
                "");
    EXPECT_EQ(tool_main(1, argv, dialogue, [] {}), 0);
}

}  // namespace
