#include "raster/buffers/window_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/buffers/simd_targets.h"

namespace {

// Clamp to [0, 1] with NaN as 0, then the nearest step in the current
// (ties to even) rounding mode.
int expectedByte(float value) {
    if (std::isnan(value) || value <= 0.0f) return 0;
    if (value >= 1.0f) return 255;
    return static_cast<int>(std::nearbyint(value * 255.0f));
}

// Every step k/255, every midpoint and its two float neighbours, the
// clamping edges, infinities and NaN.
std::vector<float> channelValues() {
    std::vector<float> values = {-1.0f, -0.0f,      0.0f,   1e-30f,    0.9999999f,
                                 1.0f,  1.0000001f, 2.0f,   HUGE_VALF, -HUGE_VALF,
                                 NAN,   -NAN,       1e-45f, -1e-45f};
    for (int k = 0; k <= 255; ++k) {
        const float mid = (static_cast<float>(k) + 0.5f) / 255.0f;
        values.insert(values.end(), {static_cast<float>(k) / 255.0f, mid, std::nextafter(mid, 0.0f),
                                     std::nextafter(mid, 1.0f)});
    }
    return values;
}

class WindowBytes : public ::testing::TestWithParam<std::int64_t> {
  protected:
    void SetUp() override { restrictSimdTarget(GetParam()); }
    void TearDown() override { restrictSimdTarget(0); }
};

}  // namespace

TEST(WindowByte, ClampsAndRoundsHalfToEven) {
    for (float value : channelValues()) EXPECT_EQ(windowByte(value), expectedByte(value)) << value;
}

// Every length up to a few vectors (so every tail), with each value in each
// channel position.
TEST_P(WindowBytes, ConvertsEveryChannelToBgraOnThisTarget) {
    const std::vector<float> values = channelValues();
    std::vector<Color> colors;
    for (std::size_t i = 0; i < values.size(); ++i) {
        colors.emplace_back(values[i], values[(i + 7) % values.size()],
                            values[(i + 13) % values.size()], values[(i + 3) % values.size()]);
    }
    for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{5},
                              std::size_t{17}, std::size_t{31}, colors.size()}) {
        std::vector<std::uint8_t> bytes(4 * count + 4, 77);
        rw::convertToBgra(colors.data(), count, bytes.data());
        for (std::size_t i = 0; i < count; ++i) {
            const Color& c = colors[i];
            ASSERT_EQ(bytes[4 * i], expectedByte(c.b)) << "colour " << i << " of " << count;
            ASSERT_EQ(bytes[4 * i + 1], expectedByte(c.g)) << "colour " << i << " of " << count;
            ASSERT_EQ(bytes[4 * i + 2], expectedByte(c.r)) << "colour " << i << " of " << count;
            ASSERT_EQ(bytes[4 * i + 3], 255) << "colour " << i << " of " << count;
        }
        for (std::size_t i = 4 * count; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 77);
    }
}

// The same colours, each at a depth that leaves it drawn or not (1.0 and
// above, and NaN, are nothing drawn: the cleared white at depth 1.0), into
// buffers with a guard after each run.
TEST_P(WindowBytes, TakesEveryPixelsBytesAndDepthOnThisTarget) {
    const std::vector<float> values = channelValues();
    const std::vector<float> depthValues = {-1.0f, -0.0f, 0.25f,      0.9999999f, 1.0f,
                                            1.5f,  NAN,   -HUGE_VALF, 1e-30f,     0.5f};
    std::vector<Color> colors;
    std::vector<float> depths;
    for (std::size_t i = 0; i < values.size(); ++i) {
        colors.emplace_back(values[(i + 5) % values.size()], values[i],
                            values[(i + 11) % values.size()], values[(i + 2) % values.size()]);
        depths.push_back(depthValues[i % depthValues.size()]);
    }
    for (std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{4},
                              std::size_t{7}, std::size_t{33}, colors.size()}) {
        std::vector<std::uint8_t> rgba(4 * count + 4, 77), rgb(3 * count + 4, 77);
        std::vector<double> windowDepth(count + 1, 77.0);
        rw::windowPixels(colors.data(), depths.data(), count, rgba.data(), rgb.data(),
                         windowDepth.data());
        for (std::size_t i = 0; i < count; ++i) {
            const bool drawn = depths[i] < 1.0f;
            const Color& c = colors[i];
            const int expected[3] = {drawn ? expectedByte(c.r) : 255,
                                     drawn ? expectedByte(c.g) : 255,
                                     drawn ? expectedByte(c.b) : 255};
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(rgba[4 * i + k], expected[k]) << "pixel " << i << " of " << count;
                ASSERT_EQ(rgb[3 * i + k], expected[k]) << "pixel " << i << " of " << count;
            }
            ASSERT_EQ(rgba[4 * i + 3], 255) << "pixel " << i << " of " << count;
            ASSERT_EQ(windowDepth[i], drawn ? 0.5 * static_cast<double>(depths[i]) + 0.5 : 1.0)
                << "pixel " << i << " of " << count;
        }
        for (std::size_t i = 4 * count; i < rgba.size(); ++i) ASSERT_EQ(rgba[i], 77);
        for (std::size_t i = 3 * count; i < rgb.size(); ++i) ASSERT_EQ(rgb[i], 77);
        ASSERT_EQ(windowDepth[count], 77.0);
    }
}

INSTANTIATE_TEST_SUITE_P(EverySimdTarget, WindowBytes, ::testing::ValuesIn(availableSimdTargets()),
                         [](const ::testing::TestParamInfo<std::int64_t>& info) {
                             return std::string(simdTargetName(info.param));
                         });
