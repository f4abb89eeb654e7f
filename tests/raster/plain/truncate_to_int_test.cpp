#include "raster/plain/truncate_to_int.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

TEST(TruncateToInt, DropsTheFractionTowardZero) {
    EXPECT_EQ(truncateToInt(0.0f), 0);
    EXPECT_EQ(truncateToInt(-0.0f), 0);
    EXPECT_EQ(truncateToInt(2.9f), 2);
    EXPECT_EQ(truncateToInt(-2.9f), -2);
    EXPECT_EQ(truncateToInt(-0.5f), 0);
    EXPECT_EQ(truncateToInt(6.0f), 6);
    EXPECT_EQ(truncateToInt(std::nextafter(6.0f, 0.0f)), 5);
}

TEST(TruncateToInt, ValuesAtTheEndsOfTheIntRange) {
    EXPECT_EQ(truncateToInt(-2147483648.0f), INT_MIN);
    // The largest float below 2^31.
    EXPECT_EQ(truncateToInt(2147483520.0f), 2147483520);
    EXPECT_EQ(truncateToInt(2147483648.0f), INT_MAX);
    EXPECT_EQ(truncateToInt(std::nextafter(-2147483648.0f, -INFINITY)), INT_MIN);
}

TEST(TruncateToInt, OutOfRangeAndNonFiniteSaturate) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(truncateToInt(inf), INT_MAX);
    EXPECT_EQ(truncateToInt(-inf), INT_MIN);
    EXPECT_EQ(truncateToInt(1.0e20f), INT_MAX);
    EXPECT_EQ(truncateToInt(-1.0e20f), INT_MIN);
    EXPECT_EQ(truncateToInt(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(truncateToInt(-std::numeric_limits<float>::quiet_NaN()), 0);
}
