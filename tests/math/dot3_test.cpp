#include <gtest/gtest.h>

#include <cmath>

#include "math/vec.h"

namespace {

float pow2(int e) {
    return std::ldexp(1.0f, e);
}

TEST(Dot3, IgnoresW) {
    EXPECT_EQ(dot3(Vec4{1, 2, 3, 100}, Vec4{1, 1, 1, -5}), 6.0f);
    EXPECT_EQ(dot3(Vec3{1, 2, 3}, Vec4{4, 5, 6, 1e30f}), 32.0f);
    EXPECT_EQ(dot3(Vec4{1, 2, 3, 0}, Vec3{-1, 0.5f, 2}), 6.0f);
}

TEST(Dot3, EachProductIsRoundedToFloat) {
    // (1 + 2^-12)^2 = 1 + 2^-11 + 2^-24 rounds to 1 + 2^-11 as a float
    // product; adding the z term 2^-24 then gives a tie that stays there.
    // Kept in double the product would lead to 1 + 2^-11 + 2^-23.
    const float e = 1.0f + pow2(-12);
    const float r = dot3(Vec3{e, 0, pow2(-12)}, Vec3{e, 0, pow2(-12)});
    EXPECT_EQ(r, 1.0f + pow2(-11));
}

TEST(Dot3, SumIsFormedInDoubleAndRoundedOnce) {
    // 1 + 2^-24 + 2^-24: exactly 1 + 2^-23 in double; summed in float each
    // half-ulp step ties back to 1.
    EXPECT_EQ(dot3(Vec3{pow2(-24), pow2(-24), 1}, Vec3{1, 1, 1}), 1.0f + pow2(-23));
}

TEST(Dot3, SumsZThenYThenX) {
    // z + y cancels exactly and leaves x; starting from x, the tiny term is
    // lost against -1 and the result would be 0.
    const float r = dot3(Vec3{pow2(-60), -1, 1}, Vec3{1, 1, 1});
    EXPECT_EQ(r, pow2(-60));
    // And the mirror image: starting from z loses the tiny z.
    EXPECT_EQ(dot3(Vec3{1, -1, pow2(-60)}, Vec3{1, 1, 1}), 0.0f);
}

}  // namespace
