// A frame stopped after a face, or after a row of it, against the scene cut
// after that face: the rows up to the stop as the cut frame has them, the
// rows above as the frame cut before the face.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "raster/buffers/viewer_buffers.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/plain/vertex_stage.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

constexpr int kSide = 200;

// The buffers after drawing `scene` with its faces after (object, face)
// removed (face -1: none of that object's faces), or stopped at `stop`.
BufferCopy drawn(const Scene& scene, const ReferenceRules& rules, int object, int face,
                 const StopPoint* stop = nullptr) {
    Scene cut = scene;
    if (!stop) {
        cut.objects.resize(static_cast<std::size_t>(object) + 1);
        cut.objects.back().faces.resize(static_cast<std::size_t>(face + 1));
    }
    prepareFrameBuffers(viewerBuffers, kSide, kSide);
    renderSoftwareLikeReference(cut, viewerBuffers.pixels(), kSide, kSide, rules, nullptr, stop);
    return copyBuffers(kSide, kSide);
}

// The middle of the rows the face's edges cover.
int middleRow(const Scene& scene, int object, int face) {
    VertexStage vertices;
    std::vector<ScanEdge> edges;
    vertices.faceEdges(scene, scene.objects[object].faces[face], kSide, kSide, edges);
    int first = INT_MAX, last = INT_MIN;
    for (const ScanEdge& e : edges) {
        first = std::min(first, truncateToInt(e.yStart));
        last = std::max(last, truncateToInt(e.yEnd) - 1);
    }
    return (first + last) / 2;
}

bool sameRows(const BufferCopy& a, const BufferCopy& b, int firstRow, int lastRow) {
    for (int y = std::max(firstRow, 0); y <= std::min(lastRow, kSide - 1); ++y) {
        for (int x = 0; x < kSide; ++x) {
            const std::size_t i = pixelIndex(x, y, kSide);
            if (std::memcmp(&a.colors[i], &b.colors[i], sizeof(Color)) != 0 ||
                floatBits(a.depths[i]) != floatBits(b.depths[i])) {
                return false;
            }
        }
    }
    return true;
}

TEST(StopPoint, StopsTheFrameWhereTheSceneCutAfterThatFaceEnds) {
    const struct {
        View view;
        const char* rules;
        int object, face;
    } cases[] = {
        {View{}, "", 0, 70},
        {View{}, "", 1, 60},
        {View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f}, "", 2, 100},
        {View{}, "all", 1, 30},
        {View{}, "", 2, 143},  // the last face: the whole frame
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.view) + " rules '" + c.rules + "' face " +
                     std::to_string(c.object) + ":" + std::to_string(c.face));
        Scene scene;
        prepareDefaultFrame(scene, c.view, kSide, kSide);
        ReferenceRules rules;
        if (*c.rules) {
            ASSERT_TRUE(parseReferenceRules(c.rules, &rules, nullptr));
        }
        const BufferCopy after = drawn(scene, rules, c.object, c.face);
        const BufferCopy before = drawn(scene, rules, c.object, c.face - 1);

        const StopPoint wholeFace{c.object, c.face};
        EXPECT_TRUE(sameRows(drawn(scene, rules, 0, 0, &wholeFace), after, 0, kSide - 1));

        const int row = middleRow(scene, c.object, c.face);
        const StopPoint withinFace{c.object, c.face, row};
        const BufferCopy stopped = drawn(scene, rules, 0, 0, &withinFace);
        EXPECT_TRUE(sameRows(stopped, after, 0, row)) << "row " << row;
        EXPECT_TRUE(sameRows(stopped, before, row + 1, kSide - 1)) << "row " << row;
        // The face draws on both sides of the row, so the stop is seen.
        EXPECT_FALSE(sameRows(stopped, after, row + 1, kSide - 1)) << "row " << row;
        EXPECT_FALSE(sameRows(stopped, before, 0, row)) << "row " << row;
    }
    const Scene whole = [] {
        Scene s;
        prepareDefaultFrame(s, View{}, kSide, kSide);
        return s;
    }();
    const StopPoint last{2, 143};
    const BufferCopy stopped = drawn(whole, ReferenceRules{}, 0, 0, &last);
    prepareFrameBuffers(viewerBuffers, kSide, kSide);
    Scene scene = whole;
    renderSoftware(scene, viewerBuffers.pixels(), kSide, kSide);
    EXPECT_TRUE(sameRows(stopped, copyBuffers(kSide, kSide), 0, kSide - 1));
}

}  // namespace
