// A pixel's settling step against the cause map of its frame: the ladder's
// pictures drawn once per view, the map taken over every pixel as the page
// and the compare tool take it, and each pixel's step looked up on its own,
// in the whole ladder and in a ladder drawn for that pixel alone.
#include <gtest/gtest.h>

#include "examine/ladder_pictures.h"
#include "raster/buffers/viewer_buffers.h"
#include "scene_rendering.h"

namespace {

TEST(LadderPictures, EveryPixelSettlesAtItsCauseInTheMap) {
    const View views[] = {View{}, View{90.0f, -30.0f, 0.25f, 0.0f, 0.0f}};
    constexpr int kWidth = 160, kHeight = 120;
    for (const View& view : views) {
        SCOPED_TRACE(describe(view));
        Scene scene;
        prepareDefaultFrame(scene, view, kWidth, kHeight);
        const LadderPictures ladder(scene, viewerBuffers, kWidth, kHeight);
        // Against the reference model: the last step's picture.
        const int model = kLadderStepCount - 1;
        const std::size_t pixels = static_cast<std::size_t>(kWidth) * kHeight;
        LadderCauses map(pixels);
        for (int step = 0; step < kLadderStepCount; ++step) {
            map.takeStep([&](std::size_t i) {
                return matchPixel(ladder.covers(step, i), ladder.bytes(step, i),
                                  ladder.covers(model, i), ladder.bytes(model, i),
                                  kLadderTolerance);
            });
        }
        const std::vector<std::int8_t> causes = map.causes();
        std::array<long, kCauseCount + 1> seen{};
        long wrong = 0;
        for (std::size_t i = 0; i < pixels; ++i) {
            const int step = settledBy(ladder, i, ladder.covers(model, i), ladder.bytes(model, i));
            wrong += step != causes[i];
            ++seen[static_cast<std::size_t>(step + 1)];
        }
        EXPECT_EQ(wrong, 0);
        // A ladder kept to one pixel draws only the faces that can change
        // it, and settles it all the same: one pixel in 7, spread over
        // every row and column.
        FrameBuffers own;
        long asked = 0;
        wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 3 * y % 7; x < kWidth; x += 7) {
                const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
                const LadderPictures one(scene, own, kWidth, kHeight, PixelBounds{x, y, x, y});
                wrong += settledBy(one, i, one.covers(model, i), one.bytes(model, i)) != causes[i];
                ++asked;
            }
        }
        EXPECT_EQ(wrong, 0) << "of " << asked;
        // The views hold uncovered pixels and pixels that rules settle.
        EXPECT_GT(seen[0], 0);
        long settledByARule = 0;
        for (int k = 1; k <= kReferenceRuleCount; ++k) settledByARule += seen[k + 1];
        EXPECT_GT(settledByARule, 100);
    }
}

}  // namespace
