#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <type_traits>

#include "scene/color.h"

namespace {

void expectColor(const Color& c, float r, float g, float b, float a) {
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

TEST(Color, ConstructorsStoreExactlyWhatTheyAreGiven) {
    expectColor(Color(), 0, 0, 0, 1);
    expectColor(Color(0.1f, -2.5f, 1.5f, 0.25f), 0.1f, -2.5f, 1.5f, 0.25f);  // never clamped
    Color c(1, 2, 3, 4);
    c = Color(0.5f, 0.5f, 0.5f, 0.5f);
    expectColor(c, 0.5f, 0.5f, 0.5f, 0.5f);
}

TEST(Color, ComponentsAreFourContiguousFloatsInRgbaOrder) {
    // Handed to OpenGL as a float[4].
    static_assert(std::is_standard_layout<Color>::value, "plain record");
    static_assert(sizeof(Color) == 4 * sizeof(float), "no padding");
    EXPECT_EQ(offsetof(Color, r), 0u);
    EXPECT_EQ(offsetof(Color, g), sizeof(float));
    EXPECT_EQ(offsetof(Color, b), 2 * sizeof(float));
    EXPECT_EQ(offsetof(Color, a), 3 * sizeof(float));
}

TEST(ColorFromHSV, ZeroSaturationIsGreyOfTheValueForAnyHue) {
    for (float h : {0.0f, 0.3f, 0.99f, 5.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        expectColor(Color::fromHSV(h, 0, 1.5f, 1), 1.5f, 1.5f, 1.5f, 1);  // value not limited to 1
        expectColor(Color::fromHSV(h, 0, 0, 1), 0, 0, 0, 1);
        expectColor(Color::fromHSV(h, -0.0f, 0.8f, 0.3f), 0.8f, 0.8f, 0.8f, 0.3f);
    }
}

TEST(ColorFromHSV, PrimaryHues) {
    expectColor(Color::fromHSV(0, 1, 0.7f, 1), 0.7f, 0, 0, 1);
    expectColor(Color::fromHSV(0.5f, 1, 1, 0.25f), 0, 1, 1, 0.25f);  // alpha passes through
    // Hue 1.0 is sector 6, which takes the first row: the same as hue 0.
    expectColor(Color::fromHSV(1.0f, 1, 1, 1), 1, 0, 0, 1);
    expectColor(Color::fromHSV(1.0f, 0.5f, 0.8f, 0.75f), 0.8f, 0.4f, 0.4f, 0.75f);
}

TEST(ColorFromHSV, FractionIsFormedInDoubleAndRoundedToFloat) {
    // 0.66f * 6 = 3.96000015735626... in double: sector 3, f = 0.96000016.
    // With s = v = 1 the green component is 1 - f exactly.
    const float f66 = 0x1.eb8524p-1f;
    EXPECT_EQ(Color::fromHSV(0.66f, 1, 1, 1).g, 1.0f - f66);
    expectColor(Color::fromHSV(0.66f, 1, 0.9f, 1), 0, 0x1.26e92cp-5f, 0.9f, 1);
    EXPECT_NEAR(Color::fromHSV(0.66f, 1, 0.9f, 1).g, 0.0359999f, 1e-7f);

    // 0.33f * 6: sector 1, f = 0.98000008; red is 1 - f.
    const float f33 = 0x1.f5c292p-1f;
    EXPECT_EQ(Color::fromHSV(0.33f, 1, 1, 1).r, 1.0f - f33);
    expectColor(Color::fromHSV(0.33f, 1, 0.7f, 1), 0x1.cac00cp-7f, 0.7f, 0, 1);
    EXPECT_NEAR(Color::fromHSV(0.33f, 1, 0.7f, 1).r, 0.0139999f, 1e-7f);
}

TEST(ColorFromHSV, EachSectorPlacesValueRisingAndFallingComponents) {
    // Hue a quarter of the way into each sector, s = v = 1: p = 0,
    // q = 1 - f = 0.75, t = f = 0.25.
    const float expected[6][3] = {{1, 0.25f, 0}, {0.75f, 1, 0}, {0, 1, 0.25f},
                                  {0, 0.75f, 1}, {0.25f, 0, 1}, {1, 0, 0.75f}};
    for (int sector = 0; sector < 6; ++sector) {
        const float hue = static_cast<float>((sector + 0.25) / 6.0);
        const Color c = Color::fromHSV(hue, 1, 1, 0.5f);
        SCOPED_TRACE(sector);
        EXPECT_NEAR(c.r, expected[sector][0], 1e-6f);
        EXPECT_NEAR(c.g, expected[sector][1], 1e-6f);
        EXPECT_NEAR(c.b, expected[sector][2], 1e-6f);
        EXPECT_EQ(c.a, 0.5f);
    }
}

TEST(ColorFromHSV, ValueIsTheLargestAndPTheSmallestComponent) {
    for (int k = 0; k < 240; ++k) {
        const float h = k / 240.0f;
        for (float s : {0.25f, 0.5f, 1.0f}) {
            for (float v : {0.3f, 1.0f, 1.5f}) {
                const Color c = Color::fromHSV(h, s, v, 1);
                const float p = static_cast<float>(static_cast<double>(v) * (1.0 - s));
                SCOPED_TRACE(::testing::Message() << "h=" << h << " s=" << s << " v=" << v);
                EXPECT_EQ(std::fmax(c.r, std::fmax(c.g, c.b)), v);
                EXPECT_EQ(std::fmin(c.r, std::fmin(c.g, c.b)), p);
            }
        }
    }
}

TEST(ColorFromHSV, HuesJustBelowZeroAndAboveOneContinueAroundTheWheel) {
    // Sector 0 with a negative fraction: t drops below 0 (nothing clamps).
    expectColor(Color::fromHSV(-0.1f, 1, 1, 1), 1, -0x1.333334p-1f, 0, 1);
    expectColor(Color::fromHSV(-0.1f, 0.5f, 0.8f, 1), 0.8f, 0x1.47ae14p-3f, 0.4f, 1);
    // 1.1 is sector 6: red rising towards yellow, like hue 0.1.
    expectColor(Color::fromHSV(1.1f, 1, 1, 0.5f), 1, 0x1.333338p-1f, 0, 0.5f);
    // -1 gives sector -6, whose remainder by 6 is 0.
    expectColor(Color::fromHSV(-1.0f, 1, 1, 1), 1, 0, 0, 1);
}

TEST(ColorFromHSV, HuesOutsideEverySectorGiveOpaqueBlack) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Sectors 7 to 11 and 13 to 17, -1 to -5, and hues with no integer
    // sector at all. Alpha is not passed on.
    for (float h : {7.0f / 6.0f + 0.01f, 1.5f, 1.99f, 2.5f, -0.2f, -0.5f, -0.99f, inf, -inf, nan}) {
        SCOPED_TRACE(h);
        expectColor(Color::fromHSV(h, 1, 1, 0.5f), 0, 0, 0, 1);
    }
}

TEST(ColorFromHSV, WholeNumberHuesOfAnySizeAreSectorsDivisibleBySix) {
    // A whole hue n gives sector 6n with fraction 0, so the first row. That
    // holds for hues far beyond the range of an int sector as well.
    for (float h : {2.0f, 5.0f, -2.0f, 16777216.0f, 4e8f, 1e9f, -1e9f, 3e38f, -3e38f}) {
        SCOPED_TRACE(h);
        expectColor(Color::fromHSV(h, 1, 1, 0.5f), 1, 0, 0, 0.5f);
        expectColor(Color::fromHSV(h, 0.5f, 0.8f, 0.5f), 0.8f, 0.4f, 0.4f, 0.5f);
    }
}

TEST(ColorFromHSV, NaNSaturationIsNotZeroAndGivesNaNComponents) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Color c = Color::fromHSV(0, nan, 0.5f, 1);
    EXPECT_EQ(c.r, 0.5f);  // sector 0: r is v itself
    EXPECT_TRUE(std::isnan(c.g));
    EXPECT_TRUE(std::isnan(c.b));
    EXPECT_EQ(c.a, 1.0f);
}

}  // namespace
