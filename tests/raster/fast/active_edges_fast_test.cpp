#include "raster/fast/active_edges_fast.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "bit_testing.h"
#include "raster/plain/active_edges.h"
#include "raster_testing.h"

// The fast row walk visits exactly the pairs of the plain one, row by row, in
// the same order and with the same bits: for ordinary outlines, edges that
// enter out of order, a pair whose edges end on different rows, several
// edges active at once with ties in x, gaps of rows without an edge, an
// unpaired edge, and non-finite or out-of-window rows and coordinates.
TEST(FastRowWalk, VisitsThePlainWalksPairsWithTheSameBits) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Vec3 up{0.0f, 0.0f, 1.0f}, tilted{0.25f, -0.5f, 0.75f};
    ScanEdge belowRowZero = edgeBetween(4.0f, 0.0f, 0.5f, 1.0f, 7.0f, 0.5f);
    belowRowZero.yStart = -3.5f;
    ScanEdge nanStart = edgeBetween(6.0f, 1.0f, 0.5f, 8.0f, 6.0f, 0.25f);
    nanStart.yStart = nan;
    const std::vector<std::vector<ScanEdge>> outlines = {
        {},
        {edgeBetween(1.0f, 0.0f, 0.5f, 1.0f, 8.0f, 0.5f),
         edgeBetween(5.0f, 0.0f, 0.5f, 5.0f, 4.0f, 0.5f)},
        {edgeBetween(5.0f, 1.0f, 0.25f, 8.0f, 6.0f, 0.5f, up, tilted),
         edgeBetween(5.0f, 1.0f, 0.75f, 2.0f, 6.0f, 0.5f, tilted, up)},
        {edgeBetween(5.0f, 1.0f, 0.5f, 1.0f, 5.0f, 0.25f, up, tilted),
         edgeBetween(1.0f, 5.0f, 0.25f, 5.0f, 9.0f, 0.5f, tilted, up),
         edgeBetween(5.0f, 9.0f, 0.5f, 9.0f, 5.0f, 0.75f, up, tilted),
         edgeBetween(9.0f, 5.0f, 0.75f, 5.0f, 1.0f, 0.5f, tilted, up)},
        {edgeBetween(9.0f, 5.0f, 0.75f, 5.0f, 1.0f, 0.5f),
         edgeBetween(1.0f, 5.0f, 0.25f, 5.0f, 9.0f, 0.5f),
         edgeBetween(5.0f, 1.0f, 0.5f, 1.0f, 5.0f, 0.25f)},
        {edgeBetween(0.0f, 0.0f, 0.5f, 9.0f, 9.0f, 0.5f),
         edgeBetween(9.0f, 0.0f, 0.1f, 0.0f, 9.0f, 0.9f),
         edgeBetween(4.5f, 0.0f, 0.2f, 4.5f, 9.0f, 0.3f, up, tilted),
         edgeBetween(4.5f, 2.0f, 0.7f, 4.5f, 7.0f, 0.6f, tilted, up),
         edgeBetween(2.0f, 3.0f, 0.5f, 7.0f, 8.0f, 0.5f)},
        {edgeBetween(1.0f, 0.0f, 0.5f, 1.0f, 2.5f, 0.5f),
         edgeBetween(3.0f, 0.0f, 0.5f, 3.0f, 2.5f, 0.5f),
         edgeBetween(2.0f, 6.0f, 0.5f, 2.0f, 9.0f, 0.5f),
         edgeBetween(6.0f, 6.0f, 0.5f, 6.0f, 9.0f, 0.5f)},
        {belowRowZero, nanStart, edgeBetween(nan, 2.0f, 0.5f, nan, 4.0f, 0.5f),
         edgeBetween(-inf, 1.0f, 0.5f, 3.0f, inf, nan),
         edgeBetween(1.0e30f, 0.0f, 0.5f, -1.0e30f, 1.0e20f, 0.5f),
         edgeBetween(2.0f, 20.0f, 0.5f, 3.0f, 30.0f, 0.5f)},
    };
    using Visit = std::vector<std::uint32_t>;
    const auto record = [](std::vector<Visit>& visits) {
        return [&visits](const ScanEdge& left, const ScanEdge& right, int y) {
            Visit v{static_cast<std::uint32_t>(y)};
            for (const ScanEdge* e : {&left, &right})
                for (float f : {e->x, e->z, e->normal.x, e->normal.y, e->normal.z})
                    v.push_back(floatBits(f));
            visits.push_back(v);
        };
    };
    ActiveEdgeScratch scratch;
    std::vector<ScanEdge> active;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        for (int height : {10, 4, 1, 0, INT_MIN}) {
            std::vector<Visit> plain, fast;
            forEachSpanPair(outlines[i], height, active, record(plain));
            forEachSpanPairFast(outlines[i], height, scratch, record(fast));
            EXPECT_EQ(fast, plain) << "outline " << i << ", height " << height;
        }
    }
}
