#include "common/failure.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <thread>

#include "common/console_text.h"
#include "common/raw_file.h"
#include "common/sample_arrays.h"
#include "tests/support/tool_runner.h"

namespace {

// The failure a call throws under a catcher, or none.
template <typename Call>
std::optional<Failure> failure_of(Call call) {
    FailureCatcher catcher;
    try {
        call();
    } catch (const Failure& f) {
        return f;
    }
    return std::nullopt;
}

TEST(FailureCatcher, FailuresThrowTheirKindAndTheMessageInUtf8) {
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

TEST(FailureCatcher, CollectsWarningsInsteadOfPrintingThem) {
    ScratchDir dir;
    write_floats(dir / "short.raw", {5, 6});
    std::vector<double> samples(4);
    FailureCatcher catcher;
    testing::internal::CaptureStderr();
    read_raw_file((dir / "short.raw").string(), samples, 4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::vector<std::string> warnings = catcher.take_warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind("警告：ファイルのデータが足りません[", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[0].find("（2 個しかありません）."), std::string::npos) << warnings[0];
    EXPECT_TRUE(catcher.take_warnings().empty());
}

TEST(FailureCatcher, HoldsOnlyForItsThreadAndItsLifetime) {
    {
        FailureCatcher outer;
        {
            FailureCatcher inner;  // nested catchers: still caught after the inner one ends
        }
        EXPECT_TRUE(failures_are_caught());
        bool caught_elsewhere = true;
        std::thread([&] { caught_elsewhere = failures_are_caught(); }).join();
        EXPECT_FALSE(caught_elsewhere);
    }
    EXPECT_FALSE(failures_are_caught());
}

TEST(FailureCatcherDeathTest, WithoutACatcherTheToolStillEnds) {
    { FailureCatcher gone; }
    EXPECT_EXIT(fail_with_kind(FailureKind::file, " エラー：ファイルが開きません[%s].\n", "x"),
                testing::ExitedWithCode(1), "x\\]\\.");
}

}  // namespace
