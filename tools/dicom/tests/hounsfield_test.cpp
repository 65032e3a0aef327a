// Hounsfield units and the DICOM linear window against closed forms.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/dicom/hounsfield.h"
#include "tools/dicom/md5.h"

namespace {

TEST(Hounsfield, AirWaterAndTheWayBack) {
    for (const double water : {0.19, 0.2, 0.0171}) {
        EXPECT_EQ(hounsfield_from_mu(0.0, water), -1000.0);
        EXPECT_EQ(hounsfield_from_mu(water, water), 0.0);
        EXPECT_NEAR(hounsfield_from_mu(2 * water, water), 1000.0, 1e-12);
        EXPECT_EQ(mu_from_hounsfield(-1000.0, water), 0.0);
        for (const double hu : {-1000.0, -537.25, 0.0, 40.0, 1234.5}) {
            EXPECT_NEAR(hounsfield_from_mu(mu_from_hounsfield(hu, water), water), hu, 1e-9);
            // The attenuation per pixel of a reconstruction, 0.078125 cm pixels.
            const double per_pixel = value_of(hu, ImageUnit::attenuation_per_pixel, water, 0.078125);
            EXPECT_NEAR(per_pixel, water * (1 + hu / 1000) * 0.078125, 1e-15);
            EXPECT_NEAR(hounsfield_of(per_pixel, ImageUnit::attenuation_per_pixel, water, 0.078125), hu, 1e-9);
        }
    }
}

// The window of every 16-bit input (signed and unsigned ranges) at widths
// 1, 2, 80 and 1500 onto 0 … 255, against the formula written over the
// integers: inside the window y = 255·(2(x − c) + w) / (2(w − 1)), which is
// ((x − (c − 0.5))/(w − 1) + 0.5)·255 multiplied out; black at and below
// c − 0.5 − (w − 1)/2, white above c − 0.5 + (w − 1)/2.
TEST(VoiLinear, EverySixteenBitInputAtFourWidths) {
    for (const std::int64_t width : {1, 2, 80, 1500}) {
        for (const std::int64_t centre : {std::int64_t{40}, std::int64_t{-600}, std::int64_t{2048}}) {
            for (std::int64_t x = -32768; x <= 65535; ++x) {
                const double y = voi_linear(static_cast<double>(x), static_cast<double>(centre),
                                            static_cast<double>(width), 0.0, 255.0);
                // Twice the thresholds, to stay in integers: 2x ≤ 2c − 1 − (w − 1).
                const std::int64_t twice = 2 * x, low = 2 * centre - 1 - (width - 1), high = 2 * centre - 1 + (width - 1);
                if (twice <= low) {
                    ASSERT_EQ(y, 0.0) << x << " w " << width << " c " << centre;
                } else if (twice > high) {
                    ASSERT_EQ(y, 255.0) << x << " w " << width << " c " << centre;
                } else {
                    ASSERT_GT(width, 1);
                    const double expected = 255.0 * static_cast<double>(2 * (x - centre) + width) /
                                            static_cast<double>(2 * (width - 1));
                    ASSERT_NEAR(y, expected, 1e-9) << x << " w " << width << " c " << centre;
                }
            }
        }
    }
    // Width 1 is a threshold between c − 1 and c; width 2 has its two levels at the ends.
    EXPECT_EQ(voi_linear(39, 40, 1, 0, 255), 0.0);
    EXPECT_EQ(voi_linear(40, 40, 1, 0, 255), 255.0);
    EXPECT_EQ(voi_linear(39, 40, 2, 0, 255), 0.0);
    EXPECT_EQ(voi_linear(40, 40, 2, 0, 255), 255.0);
}

TEST(WindowPresets, NamedAndUsable) {
    ASSERT_NE(window_preset("lung"), nullptr);
    EXPECT_EQ(window_preset("lung")->centre, -600);
    EXPECT_EQ(window_preset("lung")->width, 1500);
    EXPECT_EQ(window_preset("brain")->width, 80);
    EXPECT_EQ(window_preset("no such window"), nullptr);
    for (const WindowPreset& p : window_presets()) {
        EXPECT_GE(p.width, 1) << p.name;
        EXPECT_EQ(window_preset(p.name), &p);
    }
}

// RFC 1321's own test suite, and a million bytes across many blocks.
TEST(Md5, KnownDigests) {
    auto hex = [](const std::string& bytes) {
        std::string out;
        char two[3];
        for (std::uint8_t b : md5_digest(bytes)) {
            std::snprintf(two, sizeof two, "%02x", b);
            out += two;
        }
        return out;
    };
    EXPECT_EQ(hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
    EXPECT_EQ(hex(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

}  // namespace
