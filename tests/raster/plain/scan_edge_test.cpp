#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "raster/plain/scan_edge.h"
#include "raster_testing.h"

namespace {

void expectSlopedExample(const ScanEdge& e) {
    EXPECT_EQ(e.x, 10.0f);
    EXPECT_EQ(e.yStart, 20.0f);
    EXPECT_EQ(e.z, 0.5f);
    EXPECT_EQ(e.xEnd, 30.0f);
    EXPECT_EQ(e.yEnd, 60.0f);
    EXPECT_EQ(e.zEnd, 0.1f);
    EXPECT_EQ(e.dxdy, 0.5f);
    EXPECT_FLOAT_EQ(e.dzdy, -0.01f);
    EXPECT_EQ(e.normal.x, 0.0f);
    EXPECT_EQ(e.normal.y, 0.0f);
    EXPECT_EQ(e.normal.z, 1.0f);
    EXPECT_EQ(e.normalEnd.x, 1.0f);
    EXPECT_EQ(e.normalEnd.y, 0.0f);
    EXPECT_EQ(e.normalEnd.z, 0.0f);
    EXPECT_FLOAT_EQ(e.dNormal.x, 0.025f);
    EXPECT_EQ(e.dNormal.y, 0.0f);
    EXPECT_FLOAT_EQ(e.dNormal.z, -0.025f);
    EXPECT_FALSE(e.finished);
}

}  // namespace

TEST(SetupEdge, OrdersTheEndsByYWhicheverWayTheyArrive) {
    const Vertex low = screenPoint(10.0f, 20.0f, 0.5f, Vec3{0.0f, 0.0f, 1.0f});
    const Vertex high = screenPoint(30.0f, 60.0f, 0.1f, Vec3{1.0f, 0.0f, 0.0f});
    SCOPED_TRACE("upwards");
    expectSlopedExample(setupEdge(low, high));
    SCOPED_TRACE("downwards");
    expectSlopedExample(setupEdge(high, low));
}

TEST(SetupEdge, IncrementsAreFormedInDoubleAndRoundedOnce) {
    // (0.1f - 0.5f) * (1 / 40) carried in double rounds to -0.0099999998f;
    // the same steps in float give -0.0100000007f.
    const ScanEdge e = edgeBetween(10.0f, 20.0f, 0.5f, 30.0f, 60.0f, 0.1f);
    EXPECT_EQ(floatBits(e.dzdy), floatBits(-0.009999999776482582f));
    EXPECT_NE(floatBits(e.dzdy), floatBits(-0.010000000707805157f));
}

TEST(SetupEdge, StartBelowRowZeroIsRaisedAlongTheEdge) {
    const ScanEdge e = edgeBetween(0.0f, -10.0f, 0.0f, 20.0f, 10.0f, 0.0f);
    EXPECT_EQ(e.yStart, 0.0f);
    EXPECT_EQ(e.x, 10.0f);
    EXPECT_EQ(e.dxdy, 1.0f);
    EXPECT_EQ(e.xEnd, 20.0f);
    EXPECT_EQ(e.yEnd, 10.0f);
}

TEST(SetupEdge, StartJustBelowZeroIsRaisedToo) {
    const ScanEdge e = edgeBetween(0.0f, -0.5f, 0.0f, 10.0f, 9.5f, 0.0f);
    EXPECT_EQ(e.yStart, 0.0f);
    EXPECT_EQ(e.x, 0.5f);
}

TEST(SetupEdge, RaisingMovesDepthAndNormalToo) {
    const ScanEdge e = edgeBetween(0.0f, -4.0f, 0.2f, 0.0f, 4.0f, 1.0f, Vec3{0.0f, 0.0f, 1.0f},
                                   Vec3{8.0f, 0.0f, 1.0f});
    EXPECT_EQ(e.yStart, 0.0f);
    EXPECT_FLOAT_EQ(e.z, 0.6f);
    EXPECT_EQ(e.normal.x, 4.0f);
    EXPECT_EQ(e.normal.z, 1.0f);
    EXPECT_EQ(e.dNormal.x, 1.0f);
}

TEST(SetupEdge, EdgeWhollyBelowTheWindowEndsBelowItsRaisedStart) {
    const ScanEdge e = edgeBetween(3.0f, -5.0f, 0.0f, 3.0f, -2.0f, 0.0f);
    EXPECT_EQ(e.yStart, 0.0f);
    EXPECT_EQ(e.yEnd, -2.0f);
    EXPECT_LT(e.yEnd, e.yStart);
}

TEST(SetupEdge, EqualYKeepsTheArgumentOrder) {
    const ScanEdge e = edgeBetween(7.0f, 5.0f, 0.25f, 2.0f, 5.0f, 0.75f);
    EXPECT_EQ(e.x, 7.0f);
    EXPECT_EQ(e.z, 0.25f);
    EXPECT_EQ(e.xEnd, 2.0f);
    EXPECT_EQ(e.zEnd, 0.75f);
    // k is infinite: the increments are not numbers or infinite, not trapped.
    EXPECT_TRUE(std::isinf(e.dxdy));
}

TEST(SetupEdge, StartExactlyAtZeroIsNotMoved) {
    const ScanEdge e = edgeBetween(4.0f, 0.0f, 0.3f, 8.0f, 2.0f, 0.3f);
    EXPECT_EQ(e.x, 4.0f);
    EXPECT_EQ(e.yStart, 0.0f);
    EXPECT_EQ(floatBits(e.yStart), floatBits(0.0f));
}

TEST(SetupEdge, IncomparableYLetsTheSecondEndpointStart) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const ScanEdge e = edgeBetween(1.0f, nan, 0.0f, 2.0f, 3.0f, 0.0f);
    EXPECT_EQ(e.x, 2.0f);
    EXPECT_EQ(e.yStart, 3.0f);
    EXPECT_TRUE(std::isnan(e.yEnd));
}
