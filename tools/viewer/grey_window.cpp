#include "tools/viewer/grey_window.h"

#include <cmath>

#include "common/console_text.h"
#include "common/sample_arrays.h"

DisplayWindow finite_range(const double* samples, std::int64_t count) {
    bool found = false;
    DisplayWindow range{0.0, 0.0};
    for (std::int64_t i = 0; i < count; ++i) {
        const double v = samples[i];
        if (!std::isfinite(v)) continue;
        if (!found) {
            range = {v, v};
            found = true;
        } else if (v < range.low) {
            range.low = v;
        } else if (v > range.high) {
            range.high = v;
        }
    }
    return range;
}

DisplayWindow choose_window(const double* samples, std::int64_t count, double low, double high) {
    if (low == 0.0 && high == 0.0) return finite_range(samples, count);
    return {low, high};
}

unsigned char grey_level(double value, DisplayWindow window) {
    const double width = window.high - window.low;
    if (width == 0.0) return value > window.low ? 255 : 0;
    const double level = ((value - window.low) / width) * 255.0;
    // Written so that NaN (from a NaN value or an infinite width) falls to black.
    if (!(level > 0.0)) return 0;
    if (level >= 254.5) return 255;
    return static_cast<unsigned char>(level + 0.5);
}

std::vector<unsigned char> map_to_grey(const std::vector<double>& image, std::int32_t width, std::int32_t height,
                                       DisplayWindow window) {
    const std::int64_t count = (width > 0 && height > 0) ? sample_count(width, height) : 0;
    std::vector<unsigned char> grey = take_array<unsigned char>(count);
    for (std::int64_t i = 0; i < count; ++i) grey[i] = grey_level(image[i], window);
    return grey;
}

void require_picture_size(std::int32_t width, std::int32_t height) {
    if (width < 1 || height < 1) fail_with(" エラー：画像の大きさが正しくありません[%d × %d].\n", width, height);
}
