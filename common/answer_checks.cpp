#include "common/answer_checks.h"

#include <cmath>

#include "common/failure.h"

void require_range(std::int32_t value, std::int32_t low, std::int32_t high, const char* name) {
    if (value < low || value > high)
        fail_with(" エラー：%s [%d] は %d から %d までにしてください.\n", Text{name}, value, low, high);
}

void require_positive(double value, const char* name) {
    if (!(value > 0) || !std::isfinite(value))
        fail_with(" エラー：%s [%g] は 0 より大きい有限の値にしてください.\n", Text{name}, value);
}

void require_not_negative(double value, const char* name) {
    if (!(value >= 0) || !std::isfinite(value))
        fail_with(" エラー：%s [%g] は 0 以上の有限の値にしてください.\n", Text{name}, value);
}
