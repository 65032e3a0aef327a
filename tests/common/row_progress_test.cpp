#include "common/row_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/tool_runner.h"

TEST(RowProgress, RewritesOneLineAndEndsItAfterTheLastRow) {
    std::FILE* stream = stream_writing();
    RowProgress progress("Median filter", 3, stream);
    for (int row = 1; row <= 3; ++row) progress.rows_done(row);
    EXPECT_EQ(written_and_closed(stream),
              "\r *** Median filter [  1/  3]\r *** Median filter [  2/  3]\r *** Median filter [  3/  3]\n");
}
