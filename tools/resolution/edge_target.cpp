#include "tools/resolution/edge_target.h"

#include <cmath>

#include "common/sample_arrays.h"

void draw_step_edge(std::vector<double>& image, std::int32_t width, std::int32_t height, std::int32_t gain,
                    double angle_degrees) {
    const double theta = angle_degrees * 0.017453292519943278;  // 3.14159265358979 / 180
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    const double factor = -static_cast<double>(gain);  // negated as a real: no overflow at INT32_MIN
    for (std::int32_t i = 0; i < height; ++i) {
        const std::int32_t y = height / 2 - i;
        double* row = image.data() + sample_count(i, width);
        for (std::int32_t j = 0; j < width; ++j) {
            const std::int32_t x = j - width / 2;
            row[j] = 1 / (std::exp((x * c + y * s) * factor) + 1);
        }
    }
}
