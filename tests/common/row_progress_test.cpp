#include "common/row_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

TEST(RowProgress, RewritesOneLineAndEndsItAfterTheLastRow) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    RowProgress progress("Median filter", 3, stream);
    for (int row = 1; row <= 3; ++row) progress.rows_done(row);
    std::fclose(stream);
    EXPECT_EQ(std::string(text, size),
              "\r *** Median filter [  1/  3]\r *** Median filter [  2/  3]\r *** Median filter [  3/  3]\n");
    std::free(text);
}
