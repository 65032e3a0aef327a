#include "tools/phantom/ellipse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "tests/support/tool_runner.h"
#include "tools/phantom/ellipse_file.h"
#include "tests/support/thread_counts.h"

namespace {

std::vector<double> draw(std::int32_t w, std::int32_t h, const Ellipse& e) {
    std::vector<double> image(static_cast<std::size_t>(w) * h, 0.0);
    draw_ellipse(image, w, h, e);
    return image;
}

TEST(Ellipse, DefaultEllipseHoldsTheValueInsideAndZeroOutside) {
    const auto image = draw(256, 256, {0, 0, 0.6, 0.8, 10, 0.1});
    EXPECT_NEAR(image[128 * 256 + 128], 0.1, 1e-15);
    EXPECT_EQ(image[0], 0.0);
    EXPECT_EQ(image[255 * 256 + 255], 0.0);
    // Rows 128 - 102.4 and 128 + 102.4 bound the ellipse turned by only 10 degrees.
    EXPECT_EQ(image[10 * 256 + 128], 0.0);
    EXPECT_GT(image[40 * 256 + 128], 0.0);
}

TEST(Ellipse, WhollyInsidePixelsHoldTheSumOf256Values) {
    // 256 additions of 0.1, times 1/256: not exactly 0.1, and the same in every inside pixel.
    double sum = 0;
    for (int i = 0; i < 256; ++i) sum += 0.1;
    const auto image = draw(64, 64, {0, 0, 0.5, 0.5, 0, 0.1});
    EXPECT_EQ(image[32 * 64 + 32], sum * 0.00390625);
    EXPECT_EQ(image[30 * 64 + 34], sum * 0.00390625);
}

TEST(Ellipse, BorderPixelsCountTheirInsideSamples) {
    // A circle of radius 0.5 pixel around the centre pixel of a 4 × 4 image.
    const auto image = draw(4, 4, {0, 0, 0.25, 0.25, 0, 1.0});
    int inside = 0;
    for (int k = -15; k <= 15; k += 2)
        for (int m = -15; m <= 15; m += 2) inside += (k * k + m * m <= 256) ? 1 : 0;
    EXPECT_EQ(image[2 * 4 + 2], inside / 256.0);
    double others = 0;
    for (std::size_t i = 0; i < image.size(); ++i)
        if (i != 2 * 4 + 2) others += image[i];
    EXPECT_EQ(others, 0.0);
}

TEST(Ellipse, NinetyDegreesSwapsTheRadii) {
    const auto turned = draw(64, 64, {0, 0, 0.3, 0.6, 90, 1.0});
    const auto swapped = draw(64, 64, {0, 0, 0.6, 0.3, 0, 1.0});
    double largest_difference = 0;
    for (std::size_t i = 0; i < turned.size(); ++i)
        largest_difference = std::max(largest_difference, std::abs(turned[i] - swapped[i]));
    EXPECT_LT(largest_difference, 0.02);  // only samples on the border may differ by rounding of sin/cos
}

TEST(Ellipse, PositiveAnglesTurnCounterClockwise) {
    // A long thin ellipse turned by 45 degrees runs from the lower left to the upper right.
    const auto image = draw(64, 64, {0, 0, 0.8, 0.05, 45, 1.0});
    EXPECT_GT(image[(32 - 15) * 64 + 32 + 15], 0.5);  // up and right (row 0 is the top)
    EXPECT_EQ(image[(32 - 15) * 64 + 32 - 15], 0.0);  // up and left
}

TEST(Ellipse, OddSizesTruncateTheHalves) {
    const auto image = draw(5, 5, {0, 0, 0.2, 0.2, 0, 1.0});  // radius 0.4 pixel around column 2, row 2
    EXPECT_GT(image[2 * 5 + 2], 0.0);
    EXPECT_EQ(image[2 * 5 + 1], 0.0);
    EXPECT_EQ(image[1 * 5 + 2], 0.0);
}

TEST(Ellipse, ZeroRadiusOrSizeDrawsNothing) {
    for (const auto& image : {draw(8, 8, {0, 0, 0, 0.5, 0, 1}), draw(8, 8, {0, 0, 0.5, 0.5, 0, 0})})
        for (double v : image) EXPECT_EQ(v, 0.0);
    std::vector<double> none(6, 0.0);
    draw_ellipse(none, -2, -3, {0, 0, 1, 1, 0, 1});
    for (double v : none) EXPECT_EQ(v, 0.0);
}

TEST(Ellipse, ClippedAtTheImageBorder) {
    const auto image = draw(16, 16, {1.0, 0, 0.5, 0.5, 0, 1.0});  // centre on the right border
    EXPECT_GT(image[8 * 16 + 15], 0.0);
    EXPECT_EQ(image[8 * 16 + 0], 0.0);
}

EllipseFileResult parse(const std::string& text, std::int32_t count, std::string& echoed) {
    std::FILE* in = stream_reading(text);
    std::FILE* echo = stream_writing();
    EllipseFileResult result = read_ellipses(in, "e.txt", count, echo);
    std::fclose(in);
    echoed = written_and_closed(echo);
    return result;
}

TEST(EllipseFile, CommentsAreEchoedAndNotCounted) {
    std::string echoed;
    const auto r = parse("# head\n0\t0\t0.5\t0.5\t0\t1\n# inner\n0.1\t-0.2\t0.1\t0.1\t30\t-0.5\nextra\n", 2, echoed);
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.ellipses.size(), 2u);
    EXPECT_EQ(r.ellipses[1].centre_y, -0.2);
    EXPECT_EQ(r.ellipses[1].value, -0.5);
    EXPECT_EQ(echoed,
              "# head\n 0.0000  0.0000  0.5000  0.5000  0.0000  1.0000 \n# inner\n"
              " 0.1000 -0.2000  0.1000  0.1000 30.0000 -0.5000 \n");
}

TEST(EllipseFile, FieldsThatAreNotNumbersReadAsZero) {
    std::string echoed;
    const auto r = parse("x\t0.5\tabc\t0.5\t0\t1", 1, echoed);  // last line without line end
    ASSERT_TRUE(r.error.empty());
    EXPECT_EQ(r.ellipses[0].centre_x, 0.0);
    EXPECT_EQ(r.ellipses[0].radius_x, 0.0);
    EXPECT_EQ(r.ellipses[0].value, 1.0);
}

TEST(EllipseFile, FaultsNameTheFileAndTheLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"0\t0\t1\t1\t0\t1\n", "2"},  // ends before the second ellipse
        {"# c\n0 0 1 1 0 1\n", "2"},  // spaces instead of tabs
        {"0\t0\t1\t1\t0\t1\n\n0\t0\t1\t1\t0\t1\n", "2"},  // empty line
        {"0\t0\t1\t1\t0\t1\n" + std::string(300, '1') + "\n", "2"},  // longer than 255 bytes
        {"0\t0\t1\t1\t0\t1\n0\t0\t1\t1\t0\n", "2"},  // five fields
    };
    for (const auto& [text, line] : cases) {
        std::string echoed;
        const auto r = parse(text, 2, echoed);
        EXPECT_NE(r.error.find("e.txt"), std::string::npos) << text;
        EXPECT_NE(r.error.find(" " + line + " "), std::string::npos) << r.error;
        EXPECT_EQ(r.error.back(), '\n');
    }
}

TEST(EllipseFile, A255ByteLineIsAccepted) {
    std::string line = "0\t0\t1\t1\t0\t1";
    line += std::string(255 - line.size(), ' ');  // trailing blanks after the last number
    std::string echoed;
    const auto r = parse("#" + std::string(254, 'c') + "\n" + line + "\n", 1, echoed);
    EXPECT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(echoed.substr(0, 256), "#" + std::string(254, 'c') + "\n");
}

}  // namespace

namespace {

// Every pixel, every sample: the drawing without any skipping.
void draw_every_sample(std::vector<double>& image, std::int32_t w, std::int32_t h, const Ellipse& e) {
    const double theta = e.angle * 3.14159265358979 / 180;
    const double s = std::sin(theta), c = std::cos(theta);
    const double rx = (w / 2) * e.radius_x, ry = (h / 2) * e.radius_y;
    const double cx = (w / 2) * e.centre_x, cy = (h / 2) * e.centre_y;
    for (std::int32_t i = 0; i < h; ++i)
        for (std::int32_t j = 0; j < w; ++j) {
            const double y0 = (h / 2 - i) - cy, x0 = (j - w / 2) - cx;
            double sum = 0;
            for (int k = -15; k <= 15; k += 2)
                for (int m = -15; m <= 15; m += 2) {
                    const double ys = y0 + k / 32.0, xs = x0 + m / 32.0;
                    if ((xs * c + ys * s) * (xs * c + ys * s) / (rx * rx) +
                            (ys * c - xs * s) * (ys * c - xs * s) / (ry * ry) <=
                        1)
                        sum += e.value;
                }
            image[i * w + j] += sum * 0.00390625;
        }
}

TEST(Ellipse, SkippingEmptyPixelsChangesNoBit) {
    const Ellipse cases[] = {
        {0, 0, 0.6, 0.8, 10, 0.1},
        {0.3, -0.2, 0.05, 0.4, 33.3, -0.7},
        {-1.2, 0.9, 0.7, 0.2, -80, 1e-3},
        {0, 0, 2.0, 2.0, 0, 1.0},
        {0, 0, -0.3, 0.2, 45, 1.0},
        {0.01, 0.02, 1e-3, 1e-3, 0, 5},
        {0, 0, INFINITY, 0.3, 10, 1.0},
        {0, 0, NAN, 0.3, 0, 1.0},
        {0, 0, 0.3, 0.3, 0, NAN},
        {0, 0, 0.25, 0.25, 0, -0.0},
        {0, 0, 1e200, 1e-200, 7, 1.0},
        {NAN, 0, 0.3, 0.3, 0, 1.0},
    };
    for (const auto& [w, h] : {std::pair{64, 64}, std::pair{33, 17}, std::pair{1, 5}}) {
        for (const Ellipse& e : cases) {
            std::vector<double> fast(w * h, 0.25), slow(w * h, 0.25);
            draw_ellipse(fast, w, h, e);
            draw_every_sample(slow, w, h, e);
            ASSERT_EQ(0, std::memcmp(fast.data(), slow.data(), fast.size() * sizeof(double)))
                << w << "x" << h << " radius " << e.radius_x;
        }
    }
}

// The threads share out the rows.
TEST(ThreadCounts, RasterisingGivesTheSameBytes) {
    expect_same_bytes_for_every_thread_count([] { return draw(57, 43, {0.1, -0.2, 0.7, 0.4, 30, 1.5}); });
}

}  // namespace
