#include "common/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "common/failure.h"

namespace {

constexpr Schedule both_schedules[] = {Schedule::static_runs, Schedule::dynamic};

// Runs `check` with 1, 2 and 3 threads, restoring the count afterwards.
template <typename Check>
void with_one_two_and_three_threads(Check check) {
    const std::int32_t saved = thread_count();
    for (std::int32_t threads : {1, 2, 3}) {
        set_thread_count(threads);
        SCOPED_TRACE(testing::Message() << threads << " threads");
        check();
    }
    set_thread_count(saved);
}

TEST(ParallelFor, EveryIterationRunsOnceAndEachThreadMakesItsOwnBody) {
    with_one_two_and_three_threads([] {
        for (Schedule schedule : both_schedules) {
            std::vector<std::atomic<int>> runs(37);
            std::atomic<int> bodies{0};
            parallel_for_with_scratch(37, schedule, [&] {
                ++bodies;
                return LoopBody([&, own = std::vector<int>(1)](std::int64_t i) mutable {
                    ++own[0];
                    ++runs[i];
                });
            });
            for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i], 1) << i;
            EXPECT_GE(bodies, 1);
            EXPECT_LE(bodies, thread_count());
        }
        parallel_for(0, Schedule::dynamic, [](std::int64_t) { ADD_FAILURE() << "no iteration"; });
    });
}

TEST(ParallelFor, AnExceptionInAnyThreadReachesTheCaller) {
    with_one_two_and_three_threads([] {
        for (Schedule schedule : both_schedules) {
            // From an iteration in the middle, of a type of the caller's own.
            struct Own {
                std::int64_t at;
            };
            try {
                parallel_for(40, schedule, [](std::int64_t i) {
                    if (i == 25) throw Own{i};
                });
                ADD_FAILURE() << "nothing thrown";
            } catch (const Own& own) {
                EXPECT_EQ(own.at, 25);
            }
            // From every iteration: one of them arrives, the loop ends.
            EXPECT_THROW(parallel_for(40, schedule, [](std::int64_t) { throw std::out_of_range("every"); }),
                         std::out_of_range);
            // While a thread's working arrays are made.
            EXPECT_THROW(parallel_for_with_scratch(5, schedule, []() -> LoopBody { throw std::bad_alloc(); }),
                         std::bad_alloc);
        }
    });
}

TEST(ParallelFor, AFailureUnderACatcherArrivesWithItsKindAndMessage) {
    with_one_two_and_three_threads([] {
        FailureCatcher catcher;
        try {
            parallel_for(9, Schedule::dynamic, [](std::int64_t i) {
                if (i == 8) end_run(FailureKind::memory, " no room\n");
            });
            ADD_FAILURE() << "nothing thrown";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.kind(), FailureKind::memory);
            EXPECT_STREQ(failure.what(), "no room");
        }
        // The threads' catchers end with the loop: the caller's stays.
        EXPECT_TRUE(failures_are_caught());
    });
}

TEST(ParallelFor, OneThreadAtATimeCountsEveryIteration) {
    with_one_two_and_three_threads([] {
        std::int64_t count = 0;
        parallel_for(500, Schedule::static_runs, [&](std::int64_t) { one_thread_at_a_time([&] { ++count; }); });
        EXPECT_EQ(count, 500);
    });
}

}  // namespace
