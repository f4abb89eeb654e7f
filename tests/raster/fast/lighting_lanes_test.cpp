#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "raster/fast/lighting_lanes.h"

namespace {

// The unprojected z as the lighting forms it from a depth.
float unprojectedZ(double m10, double m11, float depth) {
    return static_cast<float>(m10 * static_cast<double>(depth) + m11);
}

struct ZCase {
    const char* what;
    double m10, m11;
    bool holds;
};

}  // namespace

// Wherever a bound is given, every depth up to it in magnitude gives the
// frame's z, and twice the bound is not far from the first depth that does
// not (the bound keeps half the room); where none can be given, none is.
TEST(ConstantUnprojectedZ, GivesZForEveryDepthUpToItsBoundAndNoBoundWhereNoneHolds) {
    const double midpoint = 1.0 + std::ldexp(1.0, -24);  // 1 and the float after it
    const ZCase cases[] = {
        {"a perspective's", -0x1.f5dc83cacc20bp-54, -1.0, true},
        {"rising z", 3.0e-9, 1.5, true},
        {"z just above a float", -2.0e-10, 3.0 + 1.0e-7, true},
        {"a power of two, the smaller float's side nearer", 1.0e-9, 4.0, true},
        {"a large depth part", -1.0e-3, -1.0, true},
        {"no depth part", 0.0, 0.75, true},
        {"z on a midpoint", 1.0e-12, midpoint, false},
        {"z zero", 1.0e-9, 0.0, false},
        {"z past the floats", 1.0e-9, 1.0e39, false},
        {"z below the normal floats", 1.0e-60, 1.0e-40, false},
        {"an infinite depth part", HUGE_VAL, -1.0, false},
        {"a NaN depth part", NAN, -1.0, false},
    };
    for (const ZCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ConstantUnprojectedZ z = constantUnprojectedZ(c.m10, c.m11);
        ASSERT_EQ(z.holds, c.holds);
        if (!z.holds) continue;
        EXPECT_EQ(z.z, static_cast<float>(c.m11));
        ASSERT_GT(z.depthBound, 0.0f);
        ASSERT_LE(z.depthBound, FLT_MAX);
        for (int i = 0; i <= 1000; ++i) {
            const float depth = i == 1000 ? z.depthBound : z.depthBound * (i / 1000.0f);
            EXPECT_EQ(unprojectedZ(c.m10, c.m11, depth), z.z) << depth;
            EXPECT_EQ(unprojectedZ(c.m10, c.m11, -depth), z.z) << -depth;
        }
        if (c.m10 == 0.0) {
            EXPECT_EQ(z.depthBound, FLT_MAX);
            continue;
        }
        const float beyond = z.depthBound * 2.0f * 1.001f;
        EXPECT_TRUE(unprojectedZ(c.m10, c.m11, beyond) != z.z ||
                    unprojectedZ(c.m10, c.m11, -beyond) != z.z);
    }
}
