#include "raster/plain/scan_convert.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "bit_testing.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/shade_pixel.h"
#include "raster_testing.h"

namespace {

// Identity inverses and no lights: every drawn pixel gets the ambient term,
// ambient x diffuse, so the material tells the faces apart.
class ScanConvert : public ::testing::Test {
  protected:
    Scene scene;
    static constexpr std::size_t red = 0;  // objects of the scene
    static constexpr std::size_t blue = 1;

    void SetUp() override {
        scene.ambient = Color(1.0f, 1.0f, 1.0f, 1.0f);
        scene.beginObject();
        scene.objects[red].material.diffuse = Color(1.0f, 0.0f, 0.0f, 1.0f);
        scene.beginObject();
        scene.objects[blue].material.diffuse = Color(0.0f, 0.0f, 1.0f, 1.0f);
    }

    void frame(int width, int height) {
        prepareFrameBuffers(viewerBuffers, width, height);
        markSlack(width, height);
    }

    void fill(std::vector<ScanEdge> edges, int width, int height, std::size_t object) {
        const DrawContext context(scene, viewerBuffers.pixels(), width, height);
        scanConvertPolygon(edges, FaceContext{context, object, 0});
        EXPECT_TRUE(edges.empty());
        EXPECT_EQ(edges.capacity(), 0u);
    }

    static bool isRed(int x, int y, int width) {
        const Color& c = colorBuffer[pixelIndex(x, y, width)];
        return c.r == 1.0f && c.g == 0.0f && c.b == 0.0f && c.a == 1.0f;
    }
    static bool isBlue(int x, int y, int width) {
        const Color& c = colorBuffer[pixelIndex(x, y, width)];
        return c.r == 0.0f && c.g == 0.0f && c.b == 1.0f && c.a == 1.0f;
    }
    static float depthAt(int x, int y, int width) { return depthBuffer[pixelIndex(x, y, width)]; }

    // Columns [x0, x1) of rows [y0, y1) drawn red, every other pixel untouched.
    static void expectRedBlock(int x0, int x1, int y0, int y1, int width, int height) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
                if (inside) {
                    EXPECT_TRUE(isRed(x, y, width)) << x << "," << y;
                } else {
                    EXPECT_TRUE(untouched(x, y, width)) << x << "," << y;
                }
            }
        }
    }
};

std::vector<ScanEdge> square(float x0, float y0, float x1, float y1, float z) {
    return {edgeBetween(x0, y0, z, x0, y1, z), edgeBetween(x1, y0, z, x1, y1, z)};
}

}  // namespace

// The row walk skips the sort for a list whose x values already rise
// strictly: exactly the lists in which every entry is lessX than every later
// one, so that no sort could move anything.
TEST(ActiveEdgeOrder, StrictlyAscendingExactlyWhenEveryPairIsInOrder) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::vector<float>> lists = {
        {},
        {1.0f},
        {nan},
        {1.0f, 2.0f},
        {2.0f, 1.0f},
        {1.0f, 1.0f},
        {-0.0f, 0.0f},
        {1.0f, nan},
        {nan, 1.0f},
        {nan, nan},
        {1.0f, 2.0f, 3.0f, 4.0f},
        {1.0f, 3.0f, 2.0f, 4.0f},
        {1.0f, 2.0f, 2.0f, 4.0f},
        {-INFINITY, -1.0f, INFINITY, nan},
    };
    for (const std::vector<float>& xs : lists) {
        std::vector<ScanEdge> edges(xs.size());
        std::string shown;
        for (std::size_t i = 0; i < xs.size(); ++i) {
            edges[i].x = xs[i];
            shown += std::to_string(xs[i]) + " ";
        }
        bool everyPairInOrder = true;
        for (std::size_t i = 0; i < edges.size(); ++i)
            for (std::size_t j = i + 1; j < edges.size(); ++j)
                everyPairInOrder = everyPairInOrder && lessX(edges[i], edges[j]);
        EXPECT_EQ(strictlyAscendingX(edges), everyPairInOrder) << shown;
    }
}

TEST_F(ScanConvert, EmptyListDrawsNothing) {
    frame(8, 8);
    fill({}, 8, 8, red);
    expectRedBlock(0, 0, 0, 0, 8, 8);
    EXPECT_TRUE(slackIntact(8, 8));
}

TEST_F(ScanConvert, SquareOnWholeCoordinatesFillsColumnsAndRowsTwoToFive) {
    frame(10, 10);
    fill(square(2.0f, 2.0f, 6.0f, 6.0f, 0.5f), 10, 10, red);
    expectRedBlock(2, 6, 2, 6, 10, 10);
    EXPECT_EQ(depthAt(2, 2, 10), 0.5f);
    EXPECT_EQ(depthAt(5, 5, 10), 0.5f);
}

TEST_F(ScanConvert, FractionalSquareTruncatesEveryCoordinate) {
    frame(10, 10);
    fill(square(2.9f, 2.5f, 6.9f, 6.5f, 0.5f), 10, 10, red);
    expectRedBlock(2, 6, 2, 6, 10, 10);
}

TEST_F(ScanConvert, EdgesInAnyOrderAreSortedByX) {
    frame(10, 10);
    std::vector<ScanEdge> edges = square(2.0f, 2.0f, 6.0f, 6.0f, 0.5f);
    std::swap(edges[0], edges[1]);
    fill(edges, 10, 10, red);
    expectRedBlock(2, 6, 2, 6, 10, 10);
}

TEST_F(ScanConvert, SpanStartsWithTheLeftEdgeValuesAtTheLeftBorder) {
    frame(16, 2);
    fill({edgeBetween(-10.0f, 0.0f, 0.5f, -10.0f, 1.0f, 0.5f),
          edgeBetween(10.0f, 0.0f, 0.7f, 10.0f, 1.0f, 0.7f)},
         16, 2, red);
    EXPECT_EQ(depthAt(0, 0, 16), 0.5f);
    EXPECT_NEAR(depthAt(9, 0, 16), 0.59f, 1e-6f);
    for (int x = 0; x < 10; ++x) EXPECT_TRUE(isRed(x, 0, 16)) << x;
    for (int x = 10; x < 16; ++x) EXPECT_TRUE(untouched(x, 0, 16)) << x;
}

TEST_F(ScanConvert, DepthStepIsAFloatQuotientPerColumn) {
    // 0.01f / 3 rounds to 0.0033333332f; 0.01f times the float 1/3 would
    // give 0.0033333334f.
    frame(4, 1);
    fill({edgeBetween(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f),
          edgeBetween(3.0f, 0.0f, 0.01f, 3.0f, 1.0f, 0.01f)},
         4, 1, red);
    EXPECT_EQ(depthAt(0, 0, 4), 0.0f);
    EXPECT_EQ(floatBits(depthAt(1, 0, 4)), floatBits(0.003333333181217313f));
    EXPECT_EQ(floatBits(depthAt(2, 0, 4)), floatBits(0.003333333181217313f * 2.0f));
    EXPECT_TRUE(untouched(3, 0, 4));
}

TEST_F(ScanConvert, RightAndTopBordersClampTheFill) {
    frame(8, 4);
    // Rows 1 to 3 are inside; the face runs on far above and to the right.
    fill(square(5.0f, 1.0f, 100.0f, 50.0f, 0.5f), 8, 4, red);
    expectRedBlock(5, 8, 1, 4, 8, 4);
    EXPECT_TRUE(slackIntact(8, 4));
}

TEST_F(ScanConvert, FaceWhollyAboveTheWindowDrawsNothing) {
    frame(8, 4);
    fill(square(1.0f, 4.0f, 6.0f, 9.0f, 0.5f), 8, 4, red);
    expectRedBlock(0, 0, 0, 0, 8, 4);
    EXPECT_TRUE(slackIntact(8, 4));
}

TEST_F(ScanConvert, EachEdgeIsSampledAtItsOwnOffsetWithinTheRow) {
    // Left edge x = y - 2.5 entering at y = 2.5: on row 2 it still has its
    // value at y = 2.5 (x = 0), on row 3 one step more (x = 1).
    frame(8, 8);
    fill({edgeBetween(0.0f, 2.5f, 0.5f, 4.0f, 6.5f, 0.5f),
          edgeBetween(7.0f, 2.5f, 0.5f, 7.0f, 6.5f, 0.5f)},
         8, 8, red);
    for (int row = 2; row <= 5; ++row) {
        const int left = row - 2;
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(isRed(x, row, 8), x >= left && x < 7) << x << "," << row;
        }
    }
    for (int x = 0; x < 8; ++x) EXPECT_TRUE(untouched(x, 6, 8));
}

TEST_F(ScanConvert, EvenOddPairsFillTwoSpansOnOneRow) {
    frame(10, 3);
    fill({edgeBetween(1.0f, 0.0f, 0.5f, 1.0f, 2.0f, 0.5f),
          edgeBetween(3.0f, 0.0f, 0.5f, 3.0f, 2.0f, 0.5f),
          edgeBetween(5.0f, 0.0f, 0.5f, 5.0f, 2.0f, 0.5f),
          edgeBetween(7.0f, 0.0f, 0.5f, 7.0f, 2.0f, 0.5f)},
         10, 3, red);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = (x >= 1 && x < 3) || (x >= 5 && x < 7);
            EXPECT_EQ(isRed(x, y, 10), inside) << x << "," << y;
        }
    }
}

TEST_F(ScanConvert, EdgeWithoutAPartnerIsIgnored) {
    frame(10, 3);
    fill({edgeBetween(1.0f, 0.0f, 0.5f, 1.0f, 2.0f, 0.5f),
          edgeBetween(3.0f, 0.0f, 0.5f, 3.0f, 2.0f, 0.5f),
          edgeBetween(5.0f, 0.0f, 0.5f, 5.0f, 2.0f, 0.5f)},
         10, 3, red);
    expectRedBlock(1, 3, 0, 2, 10, 3);
    EXPECT_TRUE(slackIntact(10, 3));
}

TEST_F(ScanConvert, SharedVertexIsCountedOnce) {
    // A diamond: at the side vertices (y = 4) the lower edges retire on the
    // row where the upper ones enter, so row 4 is one span, not two.
    frame(12, 10);
    fill({edgeBetween(6.0f, 0.0f, 0.5f, 2.0f, 4.0f, 0.5f),
          edgeBetween(2.0f, 4.0f, 0.5f, 6.0f, 8.0f, 0.5f),
          edgeBetween(6.0f, 8.0f, 0.5f, 10.0f, 4.0f, 0.5f),
          edgeBetween(10.0f, 4.0f, 0.5f, 6.0f, 0.0f, 0.5f)},
         12, 10, red);
    for (int x = 0; x < 12; ++x) EXPECT_EQ(isRed(x, 4, 12), x >= 2 && x < 10) << x;
    for (int x = 0; x < 12; ++x) EXPECT_EQ(isRed(x, 0, 12), false) << x;
    for (int x = 0; x < 12; ++x) EXPECT_EQ(isRed(x, 1, 12), x >= 5 && x < 7) << x;
    for (int x = 0; x < 12; ++x) EXPECT_TRUE(untouched(x, 8, 12)) << x;
}

TEST_F(ScanConvert, CoplanarFacesKeepTheFirstDrawn) {
    frame(10, 10);
    fill(square(2.0f, 2.0f, 6.0f, 6.0f, 0.25f), 10, 10, red);
    fill(square(2.0f, 2.0f, 8.0f, 6.0f, 0.25f), 10, 10, blue);
    for (int x = 2; x < 6; ++x) EXPECT_TRUE(isRed(x, 3, 10)) << x;
    for (int x = 6; x < 8; ++x) EXPECT_TRUE(isBlue(x, 3, 10)) << x;
    // A nearer face wins.
    fill(square(2.0f, 2.0f, 8.0f, 6.0f, 0.125f), 10, 10, blue);
    for (int x = 2; x < 8; ++x) EXPECT_TRUE(isBlue(x, 3, 10)) << x;
}

TEST_F(ScanConvert, DepthOneIsNotDrawnButDepthBeyondTheNearPlaneIs) {
    frame(10, 10);
    fill(square(2.0f, 2.0f, 6.0f, 6.0f, 1.0f), 10, 10, red);
    expectRedBlock(0, 0, 0, 0, 10, 10);
    fill(square(2.0f, 2.0f, 6.0f, 6.0f, -3.0f), 10, 10, red);
    expectRedBlock(2, 6, 2, 6, 10, 10);
    EXPECT_EQ(depthAt(3, 3, 10), -3.0f);
}

TEST_F(ScanConvert, EveryDrawnPixelHasAlphaOne) {
    frame(10, 10);
    for (int i = 0; i < 100; ++i) colorBuffer[i].a = 0.5f;
    fill(square(2.0f, 2.0f, 6.0f, 6.0f, 0.5f), 10, 10, red);
    for (int y = 2; y < 6; ++y) {
        for (int x = 2; x < 6; ++x) EXPECT_EQ(colorBuffer[pixelIndex(x, y, 10)].a, 1.0f);
    }
    EXPECT_EQ(colorBuffer[pixelIndex(1, 2, 10)].a, 0.5f);
}

TEST_F(ScanConvert, FailingPixelIsNotShadedAndItsNormalIsNotRenormalised) {
    // One light off to the side makes the colour depend on the normal's
    // direction. The running normal starts at (0, 0, 1) and steps (1, 0, 0)
    // per column.
    scene.ambient = Color(0.0f, 0.0f, 0.0f, 1.0f);
    scene.addLight(Vec3{5.0f, 0.0f, 0.0f}, Color(1.0f, 1.0f, 1.0f, 1.0f));
    const std::vector<ScanEdge> span = {
        edgeBetween(0.0f, 0.0f, 0.5f, 0.0f, 1.0f, 0.5f, Vec3{0.0f, 0.0f, 1.0f},
                    Vec3{0.0f, 0.0f, 1.0f}),
        edgeBetween(4.0f, 0.0f, 0.5f, 4.0f, 1.0f, 0.5f, Vec3{4.0f, 0.0f, 1.0f},
                    Vec3{4.0f, 0.0f, 1.0f})};
    auto shadeAtColumn2 = [&](Vec3 normal) {
        Color c(0.0f, 0.0f, 0.0f, 1.0f);
        const DrawContext context(scene, viewerBuffers.pixels(), 8, 1);
        shadePixel(c, FaceContext{context, red, 0}, normal, 2.0f, 0.0f, 0.5f);
        return c;
    };

    frame(8, 1);
    fill(span, 8, 1, red);
    const float s = 1.0f / std::sqrt(2.0f);
    const Color afterPass = colorBuffer[2];
    EXPECT_NEAR(afterPass.r, shadeAtColumn2(Vec3{s + 1.0f, 0.0f, s}).r, 1e-6f);

    frame(8, 1);
    depthBuffer[1] = 0.0f;  // column 1 fails
    fill(span, 8, 1, red);
    EXPECT_EQ(colorBuffer[1].r, 1.0f);
    EXPECT_EQ(colorBuffer[1].g, 1.0f);
    EXPECT_EQ(depthBuffer[1], 0.0f);
    const Color afterFail = colorBuffer[2];
    EXPECT_EQ(floatBits(afterFail.r), floatBits(shadeAtColumn2(Vec3{2.0f, 0.0f, 1.0f}).r));
    EXPECT_NE(afterFail.r, afterPass.r);
}

TEST_F(ScanConvert, NonFiniteEdgesStayInsideTheBuffers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    frame(8, 6);
    std::vector<ScanEdge> edges = {edgeBetween(nan, 0.0f, 0.5f, nan, 3.0f, 0.5f),
                                   edgeBetween(-inf, 1.0f, 0.5f, 3.0f, inf, nan),
                                   edgeBetween(1.0e30f, 0.0f, 0.5f, -1.0e30f, 1.0e20f, 0.5f),
                                   edgeBetween(2.0f, 2.0f, 0.5f, 2.0f, 5.0f, 0.5f)};
    fill(edges, 8, 6, red);
    EXPECT_TRUE(slackIntact(8, 6));
}

TEST_F(ScanConvert, DegenerateWindowSizesTouchNothing) {
    for (int width : {0, -3}) {
        frame(4, 4);
        markSlack(4, 4);
        fill(square(0.0f, 0.0f, 3.0f, 3.0f, 0.5f), width, 4, red);
        expectRedBlock(0, 0, 0, 0, 4, 4);
        EXPECT_TRUE(slackIntact(4, 4));
    }
    frame(4, 4);
    fill(square(0.0f, 0.0f, 3.0f, 3.0f, 0.5f), 4, INT_MIN, red);
    expectRedBlock(0, 0, 0, 0, 4, 4);
}
