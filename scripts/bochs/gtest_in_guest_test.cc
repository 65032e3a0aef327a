// A GoogleTest program for checking scripts/run_in_bochs itself: it must be
// linked statically, see the AVX-512 unit, receive the caller's CT_* and
// GTEST_* variables and hand back a failing exit status.
#include <gtest/gtest.h>
#include <immintrin.h>

#include <cstdlib>
#include <string>

namespace {

__attribute__((target("avx512f"), noinline)) double sum_of_eight(const double *values)
{
  return _mm512_reduce_add_pd(_mm512_loadu_pd(values));
}

TEST(Guest, RunsAvx512Instructions)
{
  ASSERT_TRUE(__builtin_cpu_supports("avx512f")) << "the processor reports no AVX-512F";
  const double values[8] = {1, 2, 3, 4, 5, 6, 7, 8.5};
  EXPECT_EQ(sum_of_eight(values), 36.5);
}

TEST(Guest, SeesTheCallersVariables)
{
  const char *marker = std::getenv("CT_BOCHS_CHECK");
  ASSERT_NE(marker, nullptr) << "CT_BOCHS_CHECK was not passed on";
  EXPECT_EQ(std::string(marker), "passed on");
  EXPECT_EQ(std::getenv("HOME"), nullptr) << "only CT_* and GTEST_* variables belong in the guest";
}

// Run on its own (GTEST_FILTER=Failing.*) to see the failure come back as the exit status.
TEST(Failing, OnPurpose)
{
  EXPECT_EQ(1 + 1, 3);
}

} // namespace
