// One face's scan, row by row, against the story of the pixels it reaches:
// the same spans, depths and depth tests the fragments report there.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bit_testing.h"
#include "examine/pixel_question.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/explain/face_scan.h"
#include "raster/explain/pixel_story.h"
#include "scene_rendering.h"

namespace {

TEST(FaceScan, RowsAndSpansAreWhatTheFragmentsAtThosePixelsReport) {
    const struct {
        View view;
        const char* rules;
        int object, face;
    } cases[] = {
        {View{}, "", 0, 70},
        {View{90.0f, -30.0f, 0.25f, 0.0f, 0.0f}, "", 1, 59},  // partly behind faces drawn before
        {View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f}, "", 1, 100},
        {View{}, "sampling,subpixel", 1, 30},
    };
    long failed = 0;  // some depth test fails, so depth_before is seen at work
    for (const auto& c : cases) {
        SCOPED_TRACE(describe(c.view) + " rules '" + c.rules + "' face " +
                     std::to_string(c.object) + ":" + std::to_string(c.face));
        PixelQuestion q;
        q.view = c.view;
        q.width = q.height = 320;
        if (*c.rules) {
            ASSERT_TRUE(parseReferenceRules(c.rules, &q.rules, nullptr));
        }
        Scene scene;
        prepareDefaultFrame(scene, q.view, q.width, q.height);
        const std::optional<FaceScan> scan =
            scanFace(scene, viewerBuffers.pixels(), q.width, q.height, q.rules, c.object, c.face);
        ASSERT_TRUE(scan);
        EXPECT_FALSE(scan->corners.empty());
        long fragments = 0, checked = 0;
        for (const FaceScanRow& row : scan->rows) {
            EXPECT_TRUE(std::is_sorted(row.activeX.begin(), row.activeX.end())) << row.y;
            for (const int e : row.entering) EXPECT_EQ(scan->edges[e].firstRow, row.y);
            for (const int e : row.active) {
                ASSERT_GE(e, 0) << row.y;
                EXPECT_TRUE(scan->edges[e].firstRow <= row.y && row.y <= scan->edges[e].lastRow);
            }
            for (const FaceScanSpan& span : row.spans) {
                ASSERT_EQ(static_cast<int>(span.fragments.size()),
                          std::max(0, span.endColumn - span.firstColumn))
                    << row.y;
                for (const FaceScanFragment& f : span.fragments) {
                    failed += !f.passed;
                    // Every other pixel's story, to keep the test quick.
                    if (fragments++ % 2 != 0) continue;
                    q.x = f.column;
                    q.y = row.y;
                    const std::optional<PixelStory> story = tellPixelStory(q, viewerBuffers);
                    ASSERT_TRUE(story);
                    const auto told = std::find_if(story->fragments.begin(), story->fragments.end(),
                                                   [&](const StoryFragment& s) {
                                                       return s.fragment.object == c.object &&
                                                              s.fragment.face == c.face;
                                                   });
                    ASSERT_NE(told, story->fragments.end()) << f.column << ", " << row.y;
                    const Fragment& t = told->fragment;
                    EXPECT_EQ(floatBits(t.spanLeft), floatBits(span.left));
                    EXPECT_EQ(floatBits(t.spanRight), floatBits(span.right));
                    EXPECT_EQ(t.firstColumn, span.firstColumn);
                    EXPECT_EQ(t.endColumn, span.endColumn);
                    EXPECT_EQ(floatBits(t.depth), floatBits(f.depth));
                    EXPECT_EQ(floatBits(t.depthBefore), floatBits(f.depthBefore));
                    EXPECT_EQ(t.passed, f.passed);
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 3);
    }
    EXPECT_GT(failed, 0);
    Scene empty;
    EXPECT_FALSE(scanFace(empty, viewerBuffers.pixels(), 16, 16, ReferenceRules{}, 0, 0));
}

}  // namespace
