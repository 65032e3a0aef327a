#include "tools/projection/tests/stored_cij.h"

#include <cmath>
#include <cstring>

StoredCij make_stored_cij(std::int32_t width, std::int32_t height, std::int32_t bins, std::int32_t angles) {
    StoredCij cij{width, height, bins, angles, {}, {}};
    const std::size_t entries = static_cast<std::size_t>(width) * height * angles;
    cij.index.assign(entries, 0);
    cij.weight.assign(entries * 3, 0.0);
    for (std::int32_t i = 0; i < angles; ++i) {
        const double theta = i * 3.14159265358979 / angles;
        const double S = std::sin(theta), C = std::cos(theta);
        const double c = std::fmin(std::fabs(S), std::fabs(C)), d = std::fmax(std::fabs(S), std::fabs(C));
        const double m = (d - c) * 0.5, T = (c + d) * 0.5;
        for (std::int32_t r = 0; r < height; ++r) {
            const double y = height / 2 - r;
            for (std::int32_t q = 0; q < width; ++q) {
                const double x = q - width / 2;
                const double t = x * C + y * S;
                const int g = static_cast<int>(std::floor(t + 0.5));
                const int h = bins / 2 + g;
                if (h < 1 || h > bins - 2) continue;
                const double L = g - 0.5, R = g + 0.5;
                double u, v, s;
                if (L - (t - m) > 0) {
                    u = c / (d * 2) + (L - (t - m)) / d;
                } else if ((s = L - (t - T)) > 0) {
                    u = s * s / (d * 2 * c);
                } else {
                    u = 0;
                }
                if ((m + t) - R > 0) {
                    v = c / (d * 2) + ((m + t) - R) / d;
                } else if ((s = (T + t) - R) > 0) {
                    v = s * s / (d * 2 * c);
                } else {
                    v = 0;
                }
                const std::size_t e = (static_cast<std::size_t>(i) * height + r) * width + q;
                cij.index[e] = h - 1;
                cij.weight[e * 3] = u;
                cij.weight[e * 3 + 1] = 1 - u - v;
                cij.weight[e * 3 + 2] = v;
            }
        }
    }
    return cij;
}

std::vector<double> project_with_table(const std::vector<double>& image, double pixel_length, const StoredCij& cij) {
    std::vector<double> sinogram(static_cast<std::size_t>(cij.bins) * cij.angles, 0.0);
    for (std::int32_t i = 0; i < cij.angles; ++i)
        for (std::int32_t pixel = 0; pixel < cij.width * cij.height; ++pixel) {
            const std::size_t e = static_cast<std::size_t>(i) * cij.width * cij.height + pixel;
            for (int k = 0; k < 3; ++k) {
                const int bin = cij.index[e] + k;
                if (bin >= 0 && bin <= cij.bins - 1) {
                    const double share = (cij.weight[e * 3 + k] * image[pixel]) * pixel_length;
                    sinogram[static_cast<std::size_t>(i) * cij.bins + bin] += share;
                }
            }
        }
    return sinogram;
}

std::vector<double> back_project_with_table(const std::vector<double>& sinogram, const StoredCij& cij) {
    std::vector<double> image(static_cast<std::size_t>(cij.width) * cij.height, 0.0);
    for (std::int32_t i = 0; i < cij.angles; ++i)
        for (std::int32_t pixel = 0; pixel < cij.width * cij.height; ++pixel) {
            const std::size_t e = static_cast<std::size_t>(i) * cij.width * cij.height + pixel;
            for (int k = 0; k < 3; ++k) {
                const int bin = cij.index[e] + k;
                if (bin >= 0 && bin <= cij.bins - 1)
                    image[pixel] += sinogram[static_cast<std::size_t>(i) * cij.bins + bin] * cij.weight[e * 3 + k];
            }
        }
    for (double& value : image) value = value * (3.14159265358979 / cij.angles);
    return image;
}

bool same_bytes(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}
