// Reconstruction of noise sinograms: the fast back projection and filter
// against the plain loops, bit for bit, and the geometry they share.

#include "tools/noise/noise_reconstruction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "common/fft.h"
#include "tests/support/thread_counts.h"
#include "tests/support/vector_codes.h"
#include "tools/noise/tests/straightforward.h"

namespace {

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(BackProjection, FastVersionGivesTheBitsOfThePlainLoop) {
    for_each_vector_code([&] {
        struct Case {
            int width, height, angles;
        };
        // Square and oblong, widths off the vector pairs and column chunks,
        // heights off the row groups, images wider than the detector.
        for (const Case c :
             {Case{8, 8, 512}, Case{32, 32, 403}, Case{16, 64, 512}, Case{64, 16, 403}, Case{200, 12, 512},
              Case{1024, 8, 512}, Case{700, 9, 403}, Case{256, 256, 512}, Case{37, 11, 403}}) {
            SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", " << c.angles << " angles");
            const auto rows = test_samples(static_cast<std::size_t>(c.angles) * 512, c.width);
            std::vector<double> fast(static_cast<std::size_t>(c.width) * c.height, 9.0), plain(fast.size());
            straightforward_back_project(plain.data(), c.width, c.height, 1.0, 1.0, rows.data(), 1.0, c.angles);
            for (CodePath path : {CodePath::fastest, CodePath::portable}) {
                noise_back_project(fast.data(), c.width, c.height, 1.0, 1.0, rows.data(), 1.0, c.angles, path);
                EXPECT_TRUE(same_bits(fast, plain)) << (path == CodePath::fastest ? "vector" : "pairs");
            }
        }
        // Pixel and bin sizes other than 1 change dx and dy, not the method.
        const auto rows = test_samples(403 * 512, 7);
        std::vector<double> fast(48 * 40), plain(fast.size());
        straightforward_back_project(plain.data(), 48, 40, 3.7, 5.3, rows.data(), 0.9, 403);
        for (CodePath path : {CodePath::fastest, CodePath::portable}) {
            noise_back_project(fast.data(), 48, 40, 3.7, 5.3, rows.data(), 0.9, 403, path);
            EXPECT_TRUE(same_bits(fast, plain));
        }
    });
}

TEST(BackProjection, TruncatesTowardZeroAndStopsAtTheDetectorEnds) {
    // Only angle 0 carries data. With W = 513 the first pixel of a row sits
    // at t = −0.5: truncation gives bin 0 with u = −0.5 (flooring would drop
    // it); the last pixel sits at 511.5, beyond bin 510, and gets nothing.
    std::vector<double> rows(512 * 512, 0.0);
    for (int n = 0; n < 512; ++n) rows[n] = 1.0 + n * n;
    std::vector<double> image(513);
    noise_back_project(image.data(), 513, 1, 1.0, 1.0, rows.data(), 1.0, 512);
    const double step = 0.006135923151542559;
    EXPECT_EQ(image[0], ((1 - -0.5) * rows[0] + -0.5 * rows[1]) * step);
    EXPECT_EQ(image[511], (0.5 * rows[510] + 0.5 * rows[511]) * step);
    EXPECT_EQ(image[512], 0.0);
}

TEST(BackProjection, CoverageOfTheDetector) {
    // Rows of ones add (1 − u) + u ≈ 1 per angle that reaches a pixel.
    std::vector<double> ones(512 * 512, 1.0);
    std::vector<double> small(256 * 256), large(512 * 512);
    noise_back_project(small.data(), 256, 256, 1.0, 1.0, ones.data(), 1.0, 512);
    for (double e : small) EXPECT_NEAR(e, 512 * 0.006135923151542559, 1e-9);
    noise_back_project(large.data(), 512, 512, 1.0, 1.0, ones.data(), 1.0, 512);
    EXPECT_NEAR(large[256 * 512 + 256], 3.14159265358979, 1e-9);
    EXPECT_LT(large[0], 0.7 * 3.14159265358979);  // a corner leaves the detector
                                                  // for about half the angles
    EXPECT_GT(large[0], 0.3 * 3.14159265358979);
}

TEST(RampFilter, WeightsAndWindows) {
    EXPECT_EQ(noise_filter_weight(256, 1.0, std::nullopt), 0.0);
    EXPECT_EQ(noise_filter_weight(0, 1.0, std::nullopt), 0.5);
    EXPECT_EQ(noise_filter_weight(384, 1.0, std::nullopt), 0.25);
    EXPECT_NEAR(noise_filter_weight(0, 1.0, 0), 0.0, 1e-15);
    EXPECT_NEAR(noise_filter_weight(0, 1.0, 1), 0.25, 1e-15);
    EXPECT_NEAR(noise_filter_weight(0, 1.0, 4), 0.5 * 0.904508, 1e-6);
    for (int w = 0; w < 4; ++w)  // each window lies above the one before at every non-zero frequency
        for (int n : {0, 100, 255, 257, 511})
            EXPECT_LT(noise_filter_weight(n, 1.0, w), noise_filter_weight(n, 1.0, w + 1));

    for (FilterWindow window : {FilterWindow{}, FilterWindow{0}, FilterWindow{2}, FilterWindow{4}}) {
        auto fast = test_samples(3 * 512, 11), plain = fast;
        noise_ramp_filter(fast.data(), 3, 1.0, window);
        straightforward_ramp_filter(plain.data(), 3, 1.0, window);
        EXPECT_TRUE(same_bits(fast, plain));
    }
}

TEST(Reconstruction, WholeChainGivesTheBitsOfThePlainSteps) {
    for (const int angles : {512, 403}) {
        auto sinogram = test_samples(static_cast<std::size_t>(angles) * 512, angles);
        auto plain_rows = sinogram;
        std::vector<double> image(32 * 16), plain(image.size());
        reconstruct_noise_sinogram(sinogram.data(), angles, image.data(), 32, 16, 3);

        std::vector<double> imaginary(plain_rows.size(), 0.0);
        fft_centered_rows(+1, plain_rows.data(), imaginary.data(), angles);
        straightforward_ramp_filter(plain_rows.data(), angles, 1.0, 3);
        straightforward_ramp_filter(imaginary.data(), angles, 1.0, 3);
        fft_centered_rows(-1, plain_rows.data(), imaginary.data(), angles);
        straightforward_back_project(plain.data(), 32, 16, 1.0, 1.0, plain_rows.data(), 1.0, angles);
        EXPECT_TRUE(same_bits(image, plain));
        EXPECT_TRUE(same_bits(sinogram, plain_rows));  // left holding the filtered rows
    }
}

TEST(Reconstruction, AConstantSinogramVanishes) {
    // The ramp is 0 at the zero frequency: the constant 1 of every noise
    // field never reaches the image.
    std::vector<double> sinogram(403 * 512, 1.0), image(16 * 16);
    reconstruct_noise_sinogram(sinogram.data(), 403, image.data(), 16, 16, std::nullopt);
    for (double e : image) EXPECT_NEAR(e, 0.0, 1e-12);
}

TEST(Reconstruction, AnglesAndSteps) {
    EXPECT_EQ(noise_projection_angle(256, 512), 256 * 3.14159265358979 * 0.001953125);
    EXPECT_EQ(noise_projection_angle(100, 403), 100 * 3.14159265358979 / 403.0);
    EXPECT_EQ(noise_angular_step(512), 0.006135923151542559);
    EXPECT_EQ(noise_angular_step(403), 0.007795515269453573);
}

// The threads share out blocks of image rows: a height of several blocks
// that does not divide into them.
TEST(ThreadCounts, BackProjectionGivesTheSameBytes) {
    const auto rows = test_samples(403 * 512, 9);
    expect_same_bytes_for_every_thread_count([&] {
        std::vector<double> image(static_cast<std::size_t>(93) * 301);
        noise_back_project(image.data(), 93, 301, 1.0, 1.0, rows.data(), 1.0, 403);
        return image;
    });
}

}  // namespace
