// A pixel's story and the reference model's side of it, heard from the
// pixel's row alone, against the same heard from the whole frame: pixels of
// the busiest rows of several views, with and without the reference's
// rules, written as rasterwork-explain writes them (every float to the last
// bit), and the row up to the pixel as the whole frame leaves it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "examine/pixel_question.h"
#include "examine/story_json.h"
#include "raster/buffers/frame_buffers.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 72;
// The columns asked about: of the pixels the software picture covers every
// third, of the others every twelfth (the row's buffers are compared up to
// the last one asked about).
constexpr int kCoveredStep = 3;
constexpr int kUncoveredStep = 12;

// Both sides as JSON; the software picture's story last, so the buffers end
// with its frame (or row).
std::string storyText(const PixelQuestion& q, FrameBuffers& buffers, StoryFrame drawn,
                      std::size_t* fragments = nullptr) {
    const std::optional<ReferenceModel> model = modelReferencePixel(q, buffers, drawn);
    const std::optional<PixelStory> story = tellPixelStory(q, buffers, drawn);
    if (!story || !model) return "none";
    if (fragments) *fragments = story->fragments.size();
    return pixelStoryJsonMembers(*story) + referenceModelJson(*model, nullptr);
}

// Columns 0 to `last` of row y.
bool sameRowUpTo(const FrameBuffers& a, const FrameBuffers& b, int y, int last) {
    const std::size_t first = pixelIndex(0, y, kWidth);
    const std::size_t n = static_cast<std::size_t>(last) + 1;
    return std::memcmp(a.color + first, b.color + first, n * sizeof(Color)) == 0 &&
           std::memcmp(a.depth + first, b.depth + first, n * sizeof(float)) == 0;
}

// The bottom row and the `count` rows on which the frame in `frame` covers
// the most pixels.
std::vector<int> rowsToHear(const FrameBuffers& frame, int count) {
    std::vector<std::pair<int, int>> covered;  // (pixels covered, row)
    for (int y = 1; y < kHeight; ++y) {
        int pixels = 0;
        for (int x = 0; x < kWidth; ++x) pixels += frame.depth[pixelIndex(x, y, kWidth)] < 1.0f;
        covered.emplace_back(-pixels, y);
    }
    std::sort(covered.begin(), covered.end());
    std::vector<int> rows{0};
    for (int k = 0; k < count; ++k) rows.push_back(covered[k].second);
    return rows;
}

TEST(StoryFromRow, IsTheWholeFramesStoryAcrossTheRow) {
    const View views[] = {
        View{},                                    // the start-up view
        View{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f},   // edge-on: patches overlap
        View{90.0f, -30.0f, 0.25f, 0.0f, 0.0f},    // a patch folded over itself
        View{-105.0f, 150.0f, 0.25f, 0.0f, 0.0f},  // from below
        View{-135.0f, -60.0f, 9.5f, 0.0f, 0.0f},   // through the near plane
    };
    const char* const ruleSets[] = {
        "",    "sampling",  "sampling,ambient,lights,viewer,specular", "vertex,perspective",
        "all", "subpixel=4"};
    FrameBuffers whole, row;
    int pixels = 0, multiFragment = 0, uncovered = 0;
    for (const View& view : views) {
        for (const char* names : ruleSets) {
            PixelQuestion q;
            q.view = view;
            q.width = kWidth;
            q.height = kHeight;
            ASSERT_TRUE(!*names || parseReferenceRules(names, &q.rules, nullptr)) << names;
            ASSERT_TRUE(tellPixelStory(q, whole).has_value());
            for (const int y : rowsToHear(whole, 2)) {
                SCOPED_TRACE(describe(view) + ", rules '" + names + "', row " + std::to_string(y));
                // Rows left over from another frame must not matter.
                prepareFrameBuffers(row, kWidth, kHeight);
                for (std::size_t i = 0; i < frameBufferElements(kWidth, kHeight); ++i) {
                    row.depth[i] = -0.5f;
                    row.color[i] = Color(0.25f, 0.5f, 0.75f, 0.0f);
                }
                q.y = y;
                int lastAsked = 0;
                for (q.x = 0; q.x < kWidth; ++q.x) {
                    const bool covered = whole.depth[pixelIndex(q.x, y, kWidth)] < 1.0f;
                    if (q.x % (covered ? kCoveredStep : kUncoveredStep) != 0) continue;
                    std::size_t fragments = 0;
                    const std::string expected = storyText(q, whole, StoryFrame::Whole, &fragments);
                    ASSERT_EQ(storyText(q, row, StoryFrame::PixelRow), expected)
                        << "column " << q.x;
                    lastAsked = q.x;
                    ++pixels;
                    multiFragment += fragments > 1;
                    uncovered += fragments == 0;
                }
                EXPECT_TRUE(sameRowUpTo(row, whole, y, lastAsked));
            }
        }
    }
    // The table holds what it says: overlaps, and pixels no fragment reaches.
    EXPECT_GE(multiFragment, 50);
    EXPECT_GE(uncovered, 400);
    EXPECT_GE(pixels, 1200);
}

// A row of the frame drawn alone into buffers of another size is the same
// row; a pixel outside the frame still has no story.
TEST(StoryFromRow, SizesTheBuffersAndRefusesPixelsOutsideTheFrame) {
    FrameBuffers whole, row;
    prepareFrameBuffers(row, 7, 5);
    PixelQuestion q;
    q.width = kWidth;
    q.height = kHeight;
    q.x = 40;
    q.y = 40;
    EXPECT_EQ(storyText(q, row, StoryFrame::PixelRow), storyText(q, whole, StoryFrame::Whole));
    EXPECT_EQ(row.width, kWidth);
    EXPECT_EQ(row.height, kHeight);
    EXPECT_TRUE(sameRowUpTo(row, whole, q.y, q.x));
    for (const auto& [x, y] : {std::pair{-1, 0}, {kWidth, 0}, {0, -1}, {0, kHeight}}) {
        q.x = x;
        q.y = y;
        EXPECT_EQ(storyText(q, row, StoryFrame::PixelRow), "none") << x << ", " << y;
    }
}

}  // namespace
