#include "web/float_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

namespace {

float fromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TEST(FloatText, WritesTheShortestTextThatReadsBack) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{-135.0f, "-135"},
                 {-60.0f, "-60"},
                 {0.25f, "0.25"},
                 {0.0f, "0"},
                 {33.25f, "33.25"},
                 {0.1f, "0.1"},
                 {1e-5f, "1e-05"},
                 {100000000.0f, "1e+08"},
                 {16777217.0f, "16777216"},
                 {-0.01f, "-0.01"},
                 {3.4028235e38f, "3.4028235e+38"}};
    for (const auto& c : cases) EXPECT_EQ(floatText(c.value), c.text) << c.value;
}

// Over floats of every magnitude: the text reads back to the same float, and
// is never longer than the nine digits that always do.
TEST(FloatText, ReadsBackAsTheSameFloat) {
    std::mt19937 random(24);
    for (int i = 0; i < 200000; ++i) {
        const float value = fromBits(static_cast<std::uint32_t>(random()));
        if (!std::isfinite(value)) continue;
        const std::string text = floatText(value);
        float read = 0.0f;
        ASSERT_TRUE(floatFromText(text.c_str(), &read)) << text;
        ASSERT_EQ(std::memcmp(&read, &value, sizeof value), 0) << text;
        char nine[32];
        std::snprintf(nine, sizeof nine, "%.9g", static_cast<double>(value));
        ASSERT_LE(text.size(), std::strlen(nine)) << text;
    }
}

TEST(FloatText, ReadsWhatTheToolsReadAndRefusesTheRest) {
    float value = 0.0f;
    EXPECT_TRUE(floatFromText("-97.5", &value));
    EXPECT_EQ(value, -97.5f);
    EXPECT_TRUE(floatFromText("1e-3", &value));
    EXPECT_EQ(value, std::strtof("1e-3", nullptr));
    for (const char* bad : {"", " 1", "1 ", "1x", "inf", "-inf", "nan", "1e39", "--1"}) {
        EXPECT_FALSE(floatFromText(bad, &value)) << bad;
    }
}

}  // namespace
