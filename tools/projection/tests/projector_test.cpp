#include "tools/projection/projector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/failure.h"
#include "tests/support/row_share_runs.h"
#include "tests/support/thread_counts.h"
#include "tests/support/tool_runner.h"
#include "tests/support/vector_codes.h"
#include "tools/projection/tests/stored_cij.h"

namespace {

struct Size {
    std::int32_t width, height, bins, angles;
};

CijTable quiet_cij(const Size& s) {
    std::FILE* sink = std::fopen("/dev/null", "w");
    CijTable cij = make_cij(s.width, s.height, s.bins, s.angles, sink);
    std::fclose(sink);
    return cij;
}

std::vector<double> project(const std::vector<double>& image, const Size& s, double pixel_length,
                            CodePath path = CodePath::fastest) {
    std::vector<double> sinogram(static_cast<std::size_t>(std::max(0, s.bins * s.angles)), -1.0);
    project_image(image.data(), s.width, s.height, pixel_length, quiet_cij(s), sinogram.data(), path);
    return sinogram;
}

const CodePath both_paths[] = {CodePath::fastest, CodePath::portable};

std::vector<double> random_image(const Size& s, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-0.5, 1.5);
    std::vector<double> image(static_cast<std::size_t>(s.width) * s.height);
    for (double& v : image) v = value(rng);
    return image;
}

// Odd sizes, a detector narrower than the diagonal, P = 1, 45-degree angles
// (P = 4, 12), N < 3, a single pixel, and the default shape at a small scale.
const Size sizes[] = {{5, 7, 9, 3}, {8, 8, 8, 4}, {16, 16, 11, 1}, {6, 5, 2, 4}, {1, 1, 1, 1}, {33, 17, 20, 7}, {64, 64, 64, 64}, {9, 9, 13, 12}, {7, 3, 40, 5}, {4, 6, 3, 2}, {31, 31, 45, 180}};

std::string name(const Size& s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height) + " N=" + std::to_string(s.bins) +
           " P=" + std::to_string(s.angles);
}

TEST(MakeCij, PrintsTheCounterForEveryAngleAndAFinalLine) {
    std::FILE* out = stream_writing();
    const CijTable cij = make_cij(4, 4, 4, 3, out);
    EXPECT_EQ(written_and_closed(out),
              "\r *** Make cij [  0/  3]\r *** Make cij [  1/  3]\r *** Make cij "
              "[  2/  3]\r *** Make cij [  3/  3]\n");
    ASSERT_EQ(cij.angle.size(), 3u);
    EXPECT_EQ(cij.angle[1].sin_theta, std::sin(1 * 3.14159265358979 / 3));

    out = stream_writing();
    make_cij(4, 4, 4, 0, out);
    EXPECT_EQ(written_and_closed(out), "\r *** Make cij [  0/  0]\n");
}

TEST(CijEntries, EveryEntryEqualsTheStoredTable) {
    for_each_vector_code([&] {
        for (const Size& s : sizes) {
            const StoredCij stored = make_stored_cij(s.width, s.height, s.bins, s.angles);
            const CijTable cij = quiet_cij(s);
            std::vector<double> column_cos(s.width), row_sin(s.height);
            CijRowEntries fast(s.width), portable(s.width);
            for (std::int32_t i = 0; i < s.angles; ++i) {
                cij_products(cij.angle[i], s.width, s.height, column_cos.data(), row_sin.data());
                for (std::int32_t r = 0; r < s.height; ++r) {
                    cij_row_entries(cij.angle[i], column_cos.data(), row_sin[r], 0, s.width, s.bins, fast);
                    cij_row_entries(cij.angle[i], column_cos.data(), row_sin[r], 0, s.width, s.bins, portable,
                                    CodePath::portable);
                    for (std::int32_t q = 0; q < s.width; ++q) {
                        const std::size_t e = (static_cast<std::size_t>(i) * s.height + r) * s.width + q;
                        for (const CijRowEntries* row : {&fast, &portable}) {
                            const bool empty = row->first_bin[q] < 0;
                            ASSERT_EQ(empty ? 0 : row->first_bin[q], stored.index[e]) << name(s) << " i=" << i;
                            // Weights compared as bytes: +0 and −0 or a last bit would
                            // differ.
                            const double got[3] = {row->w0[q], row->w1[q], row->w2[q]};
                            ASSERT_EQ(std::memcmp(got, &stored.weight[e * 3], sizeof got), 0) << name(s) << " i=" << i;
                        }
                    }
                }
            }
        }
    });
}

TEST(CijEntries, PartialRowsLeaveTheRestAlone) {
    for_each_vector_code([&] {
        const CijTable cij = quiet_cij({13, 1, 13, 5});
        std::vector<double> column_cos(13), row_sin(1);
        cij_products(cij.angle[2], 13, 1, column_cos.data(), row_sin.data());
        CijRowEntries row(13), whole(13);
        row.first_bin.assign(13, 99);
        cij_row_entries(cij.angle[2], column_cos.data(), row_sin[0], 3, 10, 13, row);
        cij_row_entries(cij.angle[2], column_cos.data(), row_sin[0], 0, 13, 13, whole, CodePath::portable);
        for (int q = 0; q < 13; ++q) EXPECT_EQ(row.first_bin[q], (q < 3 || q >= 10) ? 99 : whole.first_bin[q]) << q;
    });
}

TEST(ProjectImage, SameBytesAsTheStoredTable) {
    for_each_vector_code([&] {
        for (const Size& s : sizes) {
            const std::vector<double> image = random_image(s, 7);
            const StoredCij stored = make_stored_cij(s.width, s.height, s.bins, s.angles);
            for (double pixel_length : {0.078125, 1.0, 0.3}) {
                for (CodePath path : both_paths) {
                    EXPECT_TRUE(same_bytes(project(image, s, pixel_length, path),
                                           project_with_table(image, pixel_length, stored)))
                        << name(s) << " pixel length " << pixel_length;
                }
            }
        }
    });
}

TEST(ProjectImage, ZerosNaNsAndInfinitiesGiveTheStoredTableBytes) {
    for_each_vector_code([&] {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        for (const Size& s : {Size{9, 9, 7, 4}, Size{8, 6, 2, 3}, Size{5, 5, 1, 2}, Size{12, 12, 10, 6}}) {
            const StoredCij stored = make_stored_cij(s.width, s.height, s.bins, s.angles);
            std::vector<double> image = random_image(s, 3);
            // Zero runs at both ends of rows (skipped), a −0 inside, whole zero rows.
            for (std::int32_t q = 0; q < s.width; ++q) image[q] = 0.0;
            image[s.width + 1] = -0.0;
            image[image.size() - 1] = 0.0;
            EXPECT_TRUE(same_bytes(project(image, s, 0.5), project_with_table(image, 0.5, stored))) << name(s);
            // A corner pixel (an empty entry at oblique angles), a centre pixel,
            // and the last corner: past 90° an empty entry whose NaN reaches
            // bins 0 … 2 just after its row's pixels have added to them.
            for (double odd : {nan, inf, -inf, -nan}) {
                for (std::size_t where : {std::size_t{0}, image.size() / 2, image.size() - 1}) {
                    std::vector<double> spoiled = image;
                    spoiled[where] = odd;
                    for (CodePath path : both_paths) {
                        EXPECT_TRUE(
                            same_bytes(project(spoiled, s, 0.5, path), project_with_table(spoiled, 0.5, stored)))
                            << name(s) << " value " << odd << " at " << where;
                    }
                }
            }
            // A length that is not finite turns even the zeros into NaN.
            for (double pixel_length : {inf, nan, 0.0, -0.0}) {
                std::vector<double> zeros(image.size(), 0.0);
                EXPECT_TRUE(
                    same_bytes(project(zeros, s, pixel_length), project_with_table(zeros, pixel_length, stored)))
                    << name(s) << " length " << pixel_length;
            }
        }
    });
}

TEST(ProjectImage, TheFirstAngleSumsColumns) {
    // θ = 0: weights 0, 1, 0 in bin N/2 + x; with W = N column q falls in bin q,
    // and columns 0 and N − 1 are left out.
    const Size s{6, 4, 6, 2};
    std::vector<double> image(24);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = 1 + static_cast<double>(i % 6);
    const auto sinogram = project(image, s, 0.5);
    EXPECT_EQ(sinogram[0], 0.0);
    EXPECT_EQ(sinogram[5], 0.0);
    for (int q = 1; q < 5; ++q) EXPECT_EQ(sinogram[q], 4 * (1 + q) * 0.5) << q;
}

TEST(ProjectImage, FortyFiveDegrees) {
    // P = 4, projection 1: the centre pixel gives 0.042893, 0.914214, 0.042893
    // around bin N/2; the pixel right of it 0.25, 0.75, 0 from bin N/2.
    const Size s{8, 8, 8, 4};
    std::vector<double> centre(64, 0.0), right(64, 0.0);
    centre[4 * 8 + 4] = 1;
    right[4 * 8 + 5] = 1;
    const auto a = project(centre, s, 1.0);
    const auto b = project(right, s, 1.0);
    EXPECT_NEAR(a[8 + 3], 0.042893, 1e-6);
    EXPECT_NEAR(a[8 + 4], 0.914214, 1e-6);
    EXPECT_NEAR(a[8 + 5], 0.042893, 1e-6);
    EXPECT_NEAR(b[8 + 4], 0.25, 1e-12);
    EXPECT_NEAR(b[8 + 5], 0.75, 1e-12);
    EXPECT_EQ(b[8 + 6], 0.0);
}

TEST(ProjectImage, NinetyDegreesSumsRowsTopIntoHighBins) {
    const Size s{4, 4, 8, 2};
    std::vector<double> image(16, 0.0);
    image[0 * 4 + 2] = 1;  // top row: y = 2, bin N/2 + 2
    image[3 * 4 + 1] = 2;  // bottom row: y = −1, bin N/2 − 1
    const auto sinogram = project(image, s, 1.0);
    EXPECT_NEAR(sinogram[8 + 6], 1.0, 1e-12);
    EXPECT_NEAR(sinogram[8 + 3], 2.0, 1e-12);
}

TEST(ProjectImage, EveryRowKeepsTheImageTotalWhileNoPixelIsCut) {
    const Size s{32, 32, 48, 17};
    std::vector<double> image(32 * 32, 0.0);
    double total = 0;
    for (int r = 0; r < 32; ++r)
        for (int q = 0; q < 32; ++q)
            if ((q - 16) * (q - 16) + (16 - r) * (16 - r) < 14 * 14) total += image[r * 32 + q] = 0.01 * (r + q);
    const auto sinogram = project(image, s, 0.25);
    for (int i = 0; i < s.angles; ++i) {
        double row = 0;
        for (int b = 0; b < s.bins; ++b) row += sinogram[i * s.bins + b];
        EXPECT_NEAR(row, 0.25 * total, 1e-9) << i;
    }
}

TEST(ProjectImage, DetectorsNarrowerThanThreeBinsSeeNothing) {
    for (std::int32_t bins : {0, 1, 2}) {
        const Size s{5, 5, bins, 3};
        const auto sinogram = project(std::vector<double>(25, 1.0), s, 1.0);
        for (double v : sinogram) EXPECT_EQ(v, 0.0);
    }
}

// The threads share out the angles: odd sizes, an image wider than tall.
TEST(ThreadCounts, ProjectionGivesTheSameBytes) {
    for_each_vector_code([&] {
        const Size s{37, 23, 41, 29};
        const auto image = random_image(s, 3);
        for (CodePath path : both_paths)
            expect_same_bytes_for_every_thread_count([&] { return project(image, s, 0.25, path); });
    });
}

// A run split into share runs, then a whole run that takes their rows,
// writes the sinogram of one run, for any number of shares (also more
// shares than angles, and a whole run given only some of them); a share
// file of another loop is refused by name.
TEST(ProjectImage, RowSharesGiveTheBytesOfOneRun) {
    ScratchDir dir;
    for (const Size& s : {Size{33, 17, 20, 7}, Size{31, 31, 45, 180}}) {
        const std::vector<double> image = random_image(s, 11);
        const auto shared = [&](const RowShares& shares) {
            std::vector<double> sinogram(static_cast<std::size_t>(s.bins) * s.angles, -1.0);
            project_image(image.data(), s.width, s.height, 0.3, quiet_cij(s), sinogram.data(), CodePath::fastest, shares);
            return sinogram;
        };
        for (int parts : {1, 2, 3, 8})
            for (int given : {-1, parts / 2})
                EXPECT_TRUE(same_bytes(whole_run_of_shares(dir.path(), parts, shared, given), project(image, s, 0.3)))
                    << name(s) << ", " << given << " of " << parts << " shares";
        const Size more{s.width, s.height, s.bins, s.angles + 1};
        std::vector<double> other(static_cast<std::size_t>(s.bins) * more.angles);
        EXPECT_THROW(project_image(image.data(), s.width, s.height, 0.3, quiet_cij(more), other.data(),
                                   CodePath::fastest, RowShares::whole_run({(dir / "share_0.bin").string()})),
                     Failure);
    }
}

}  // namespace
