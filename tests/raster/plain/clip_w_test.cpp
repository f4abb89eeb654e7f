#include "raster/plain/clip_w.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

ClipVertex corner(float x, float y, float w, Vec3 normal = Vec3{0.0f, 0.0f, 1.0f}) {
    return ClipVertex{Vec4{x, y, 0.5f, w}, normal};
}

std::vector<ClipVertex> clip(const std::vector<ClipVertex>& outline) {
    std::vector<ClipVertex> out{corner(9.0f, 9.0f, 9.0f)};  // replaced, not appended to
    clipToMinW(outline, out);
    return out;
}

}  // namespace

TEST(ClipToMinW, OutlineWhollyInFrontComesBackUnchanged) {
    const std::vector<ClipVertex> quad = {corner(0, 0, 1), corner(1, 0, 2), corner(1, 1, 3),
                                          corner(0, 1, 4)};
    const std::vector<ClipVertex> out = clip(quad);
    ASSERT_EQ(out.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i].position.x, quad[i].position.x);
        EXPECT_EQ(out[i].position.w, quad[i].position.w);
    }
}

TEST(ClipToMinW, OutlineWhollyBehindVanishes) {
    EXPECT_TRUE(clip({corner(0, 0, -1), corner(1, 0, -2), corner(1, 1, 0)}).empty());
    EXPECT_TRUE(clip({corner(0, 0, kMinClipW), corner(1, 0, kMinClipW)}).empty());
    EXPECT_TRUE(clip({}).empty());
}

TEST(ClipToMinW, StraddlingQuadIsCutWhereWReachesTheMinimum) {
    // w runs from 1 down to -1 along x; the cut lies just short of x = 1.
    const Vec3 nA{0.0f, 0.0f, 1.0f};
    const Vec3 nB{1.0f, 0.0f, 0.0f};
    const std::vector<ClipVertex> out = clip(
        {corner(0, 0, 1, nA), corner(2, 0, -1, nB), corner(2, 1, -1, nB), corner(0, 1, 1, nA)});
    ASSERT_EQ(out.size(), 4u);
    const double t = (1.0 - kMinClipW) / 2.0;
    // Order: the kept corner that starts the outline, the cut on the side
    // leaving the front, the cut on the side coming back, the last corner.
    EXPECT_EQ(out[0].position.x, 0.0f);
    EXPECT_EQ(out[0].position.y, 0.0f);
    EXPECT_EQ(out[1].position.x, static_cast<float>(2.0 * t));
    EXPECT_EQ(out[1].position.y, 0.0f);
    EXPECT_EQ(out[1].position.z, 0.5f);
    EXPECT_EQ(out[1].position.w, kMinClipW);
    EXPECT_EQ(out[1].normal.x, static_cast<float>(t));
    EXPECT_EQ(out[1].normal.z, static_cast<float>(1.0 - t));
    EXPECT_EQ(out[2].position.x, static_cast<float>(2.0 * t));
    EXPECT_EQ(out[2].position.y, 1.0f);
    EXPECT_EQ(out[2].position.w, kMinClipW);
    EXPECT_EQ(out[3].position.x, 0.0f);
    EXPECT_EQ(out[3].position.y, 1.0f);
}

TEST(ClipToMinW, TriangleWithOneCornerBehindBecomesAQuad) {
    const std::vector<ClipVertex> out = clip({corner(0, 0, 1), corner(4, 0, 1), corner(2, 4, -1)});
    ASSERT_EQ(out.size(), 4u);
    for (const ClipVertex& v : out) EXPECT_GE(v.position.w, kMinClipW);
    EXPECT_EQ(out[1].position.x, 0.0f);
    EXPECT_EQ(out[2].position.x, 4.0f);
    EXPECT_EQ(out[0].position.w, kMinClipW);
    EXPECT_EQ(out[3].position.w, kMinClipW);
    EXPECT_NEAR(out[0].position.y, 2.0f, 1e-3f);
    EXPECT_NEAR(out[3].position.y, 2.0f, 1e-3f);
}

TEST(ClipToMinW, CornerWithNonFiniteWIsDroppedWithoutInventingPoints) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<ClipVertex> out = clip({corner(0, 0, 1), corner(1, 0, nan), corner(1, 1, 1)});
    ASSERT_EQ(out.size(), 2u);
    for (const ClipVertex& v : out) EXPECT_TRUE(std::isfinite(v.position.x));
}
