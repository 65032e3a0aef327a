#include "tools/noise/noise_parameters.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "common/console_text.h"

namespace {

bool is_transform_side(std::int32_t side) { return side >= 4 && (side & (side - 1)) == 0; }

}  // namespace

std::int32_t negated_pattern_number(std::int32_t pattern) {
    return pattern == std::numeric_limits<std::int32_t>::min() ? pattern : -pattern;
}

std::int32_t axis_bin_count(std::int32_t width, std::int32_t bin_width) {
    // 2·b in 64 bits: a huge bin width gives no bin rather than an overflow.
    return static_cast<std::int32_t>(width / (2 * static_cast<std::int64_t>(bin_width)));
}

std::int32_t diagonal_bin_count(std::int32_t width, std::int32_t bin_width) {
    const double bins = std::sqrt(2.0) * width / static_cast<double>(2 * static_cast<std::int64_t>(bin_width));
    return static_cast<std::int32_t>(bins);
}

std::int32_t level_of_row(std::int32_t start_level, std::int32_t level_step, std::int32_t row) {
    const std::int64_t level = static_cast<std::int64_t>(start_level) + static_cast<std::int64_t>(row) * level_step;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(level)));
}

std::string format_with_number(const char* pattern, std::int32_t value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void require_transform_sides(std::int32_t width, std::int32_t height) {
    if (!is_transform_side(width))
        fail_with(" エラー：画像の幅は4以上の2のべき乗にしてください[%d].\n", width);
    if (!is_transform_side(height))
        fail_with(" エラー：画像の高さは4以上の2のべき乗にしてください[%d].\n", height);
}

void require_bin_width(std::int32_t bin_width) {
    if (bin_width < 1) fail_with(" エラー：周波数ビンは1以上にしてください[%d].\n", bin_width);
}

void require_repetitions(std::int32_t repetitions) {
    if (repetitions < 1) fail_with(" エラー：雑音平均化の回数は1以上にしてください[%d].\n", repetitions);
}

void require_row_count(std::int32_t rows, const char* what) {
    if (rows >= 0) return;
    fail_with(" エラー：%sが負です[%d].\n", Text{what}, rows);
}

std::int64_t stack_count(std::int32_t rows, std::int64_t plane) {
    if (rows <= 0 || plane <= 0) return 0;
    if (plane > std::numeric_limits<std::int64_t>::max() / rows) return std::numeric_limits<std::int64_t>::max();
    return rows * plane;
}
