#include "raster/buffers/viewer_buffers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "raster/buffers/simd_targets.h"

namespace {

// Puts the globals back to their start-up shape so every test starts from the
// placeholders and an unknown size.
void forgetBuffers() {
    prepareFrameBuffers(viewerBuffers, -1, -1);
    cachedWidth = -1;
    cachedHeight = -1;
}

const Color kGarbage(-0.25f, 7.0f, NAN, 0.5f);

void scribble(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        colorBuffer[i] = kGarbage;
        depthBuffer[i] = -3.0f;
    }
}

bool isWhite(const Color& c) {
    return c.r == 1.0f && c.g == 1.0f && c.b == 1.0f && c.a == 1.0f;
}

bool isGarbage(const Color& c) {
    return c.r == kGarbage.r && c.g == kGarbage.g && std::isnan(c.b) && c.a == kGarbage.a;
}

::testing::AssertionResult clearedUpTo(std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i) {
        if (!isWhite(colorBuffer[i])) return ::testing::AssertionFailure() << "colour " << i;
        if (depthBuffer[i] != 1.0f) return ::testing::AssertionFailure() << "depth " << i;
    }
    return ::testing::AssertionSuccess();
}

class ViewerFrameBuffers : public ::testing::Test {
  protected:
    void SetUp() override { forgetBuffers(); }
};

TEST_F(ViewerFrameBuffers, ElementCountIsPixelsPlusSlack) {
    EXPECT_EQ(frameBufferElements(480, 480), 480u * 480u + 1000u);
    EXPECT_EQ(frameBufferElements(641, 479), 641u * 479u + 1000u);
    EXPECT_EQ(frameBufferElements(0, 480), 1000u);
    EXPECT_EQ(frameBufferElements(480, 0), 1000u);
    EXPECT_EQ(frameBufferElements(-1, -1), 1000u);
    EXPECT_EQ(frameBufferElements(-5, 7), 1000u);
    // Far past what an int holds: 46341 squared overflows 32 bits.
    EXPECT_EQ(frameBufferElements(46341, 46341), std::size_t{46341} * 46341u + 1000u);
}

TEST_F(ViewerFrameBuffers, FirstCallReplacesPlaceholdersAtViewportSize) {
    const Color* oldColor = colorBuffer;
    const float* oldDepth = depthBuffer;
    prepareFrameBuffers(viewerBuffers, 480, 480);
    EXPECT_NE(colorBuffer, oldColor);
    EXPECT_NE(depthBuffer, oldDepth);
    EXPECT_EQ(cachedWidth, 480);
    EXPECT_EQ(cachedHeight, 480);
    EXPECT_TRUE(clearedUpTo(480u * 480u));
    // The whole allocation is usable, slack included (checked under ASan).
    const std::size_t n = frameBufferElements(480, 480);
    colorBuffer[n - 1] = kGarbage;
    depthBuffer[n - 1] = 0.0f;
}

TEST_F(ViewerFrameBuffers, SameSizeReusesAndClears) {
    prepareFrameBuffers(viewerBuffers, 64, 32);
    const Color* color = colorBuffer;
    const float* depth = depthBuffer;
    scribble(64u * 32u);
    prepareFrameBuffers(viewerBuffers, 64, 32);
    EXPECT_EQ(colorBuffer, color);
    EXPECT_EQ(depthBuffer, depth);
    EXPECT_TRUE(clearedUpTo(64u * 32u));
}

TEST_F(ViewerFrameBuffers, ChangeOfOneDimensionReallocates) {
    prepareFrameBuffers(viewerBuffers, 64, 32);

    // Keep the old arrays alive across the change so the allocator cannot
    // hand back the same address; only a real reallocation moves the pointers.
    Color* keepColor = colorBuffer;
    float* keepDepth = depthBuffer;
    colorBuffer = new Color[1];
    depthBuffer = new float[1];
    prepareFrameBuffers(viewerBuffers, 64, 33);
    EXPECT_EQ(cachedWidth, 64);
    EXPECT_EQ(cachedHeight, 33);
    EXPECT_NE(colorBuffer, keepColor);
    EXPECT_NE(depthBuffer, keepDepth);
    EXPECT_TRUE(clearedUpTo(64u * 33u));
    delete[] keepColor;
    delete[] keepDepth;

    keepColor = colorBuffer;
    keepDepth = depthBuffer;
    colorBuffer = new Color[1];
    depthBuffer = new float[1];
    prepareFrameBuffers(viewerBuffers, 65, 33);
    EXPECT_EQ(cachedWidth, 65);
    EXPECT_EQ(cachedHeight, 33);
    EXPECT_NE(colorBuffer, keepColor);
    EXPECT_NE(depthBuffer, keepDepth);
    EXPECT_TRUE(clearedUpTo(65u * 33u));
    delete[] keepColor;
    delete[] keepDepth;
}

TEST_F(ViewerFrameBuffers, SwappedDimensionsReallocate) {
    // 40 x 30 and 30 x 40 have the same pixel count; the rule looks at each
    // dimension, not at the area.
    prepareFrameBuffers(viewerBuffers, 40, 30);
    Color* keepColor = colorBuffer;
    colorBuffer = new Color[1];
    prepareFrameBuffers(viewerBuffers, 30, 40);
    EXPECT_NE(colorBuffer, keepColor);
    EXPECT_EQ(cachedWidth, 30);
    EXPECT_EQ(cachedHeight, 40);
    delete[] keepColor;
}

TEST_F(ViewerFrameBuffers, FreshElementsAreOpaqueBlack) {
    // Elements past the cleared pixels come straight from allocation.
    prepareFrameBuffers(viewerBuffers, 3, 2);
    const std::size_t n = frameBufferElements(3, 2);
    for (std::size_t i = 6; i < n; ++i) {
        const Color& c = colorBuffer[i];
        ASSERT_TRUE(c.r == 0.0f && c.g == 0.0f && c.b == 0.0f && c.a == 1.0f) << i;
    }
}

TEST_F(ViewerFrameBuffers, ClearStopsAtLastPixel) {
    prepareFrameBuffers(viewerBuffers, 7, 5);
    const std::size_t pixels = 7u * 5u;
    const std::size_t n = frameBufferElements(7, 5);
    scribble(n);
    prepareFrameBuffers(viewerBuffers, 7, 5);
    EXPECT_TRUE(clearedUpTo(pixels));
    for (std::size_t i = pixels; i < n; ++i) {
        ASSERT_TRUE(isGarbage(colorBuffer[i])) << "slack colour " << i << " was written";
        ASSERT_EQ(depthBuffer[i], -3.0f) << "slack depth " << i << " was written";
    }
}

class FrameBufferClear : public ::testing::TestWithParam<std::int64_t> {
  protected:
    void SetUp() override {
        restrictSimdTarget(GetParam());
        forgetBuffers();
    }
    void TearDown() override { restrictSimdTarget(0); }
};

// Sizes whose pixel counts leave every remainder after whole vectors.
TEST_P(FrameBufferClear, ClearsEveryPixelAndNoSlackOnThisTarget) {
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 1}, {5, 3}, {7, 5}, {1, 17}, {33, 1}, {9, 7}};
    for (const auto& size : sizes) {
        prepareFrameBuffers(viewerBuffers, size.first, size.second);
        const std::size_t pixels = static_cast<std::size_t>(size.first * size.second);
        const std::size_t n = frameBufferElements(size.first, size.second);
        scribble(n);
        prepareFrameBuffers(viewerBuffers, size.first, size.second);
        EXPECT_TRUE(clearedUpTo(pixels)) << size.first << "x" << size.second;
        for (std::size_t i = pixels; i < n; ++i) {
            ASSERT_TRUE(isGarbage(colorBuffer[i])) << "slack colour " << i << " was written";
            ASSERT_EQ(depthBuffer[i], -3.0f) << "slack depth " << i << " was written";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySimdTarget, FrameBufferClear,
                         ::testing::ValuesIn(availableSimdTargets()),
                         [](const ::testing::TestParamInfo<std::int64_t>& info) {
                             return std::string(simdTargetName(info.param));
                         });

TEST_F(ViewerFrameBuffers, ZeroSizedFrameHasOnlySlackAndClearsNothing) {
    for (const auto& size : {std::make_pair(0, 480), std::make_pair(480, 0), std::make_pair(0, 0),
                             std::make_pair(-4, 9)}) {
        forgetBuffers();
        prepareFrameBuffers(viewerBuffers, size.first, size.second);
        EXPECT_EQ(cachedWidth, size.first);
        EXPECT_EQ(cachedHeight, size.second);
        ASSERT_EQ(frameBufferElements(size.first, size.second), 1000u);
        scribble(1000);
        prepareFrameBuffers(viewerBuffers, size.first, size.second);
        for (std::size_t i = 0; i < 1000; ++i) {
            ASSERT_TRUE(isGarbage(colorBuffer[i])) << size.first << "x" << size.second << " " << i;
            ASSERT_EQ(depthBuffer[i], -3.0f);
        }
    }
}

TEST_F(ViewerFrameBuffers, ContentsAreNotCarriedOverOnResize) {
    prepareFrameBuffers(viewerBuffers, 4, 4);
    scribble(frameBufferElements(4, 4));
    prepareFrameBuffers(viewerBuffers, 4, 3);
    EXPECT_TRUE(clearedUpTo(12));
    for (std::size_t i = 12; i < frameBufferElements(4, 3); ++i) {
        ASSERT_FALSE(isGarbage(colorBuffer[i])) << i;
    }
}

}  // namespace
