#include "raster/plain/project_vertex.h"

#include <gtest/gtest.h>

#include <utility>

#include "raster_testing.h"

TEST(ProjectToScreen, NormalisedOriginLandsInTheMiddleOfTheWindow) {
    const std::pair<int, int> sizes[] = {{480, 480}, {640, 360}, {7, 5}};
    for (const auto& size : sizes) {
        const Vec4 s = projectToScreen(Vec4{0.0f, 0.0f, 0.5f, 1.0f}, size.first, size.second);
        EXPECT_EQ(s.x, size.first * 0.5f);
        EXPECT_EQ(s.y, size.second * 0.5f);
        EXPECT_EQ(s.z, 0.5f);
        EXPECT_EQ(s.w, 1.0f);
    }
}

TEST(ProjectToScreen, CornersOfTheViewVolumeMapToTheWindowCorners) {
    const Vec4 low = projectToScreen(Vec4{-2.0f, -2.0f, -2.0f, 2.0f}, 640, 360);
    EXPECT_EQ(low.x, 0.0f);
    EXPECT_EQ(low.y, 0.0f);
    EXPECT_EQ(low.z, -1.0f);
    const Vec4 high = projectToScreen(Vec4{4.0f, 4.0f, 4.0f, 4.0f}, 640, 360);
    EXPECT_EQ(high.x, 640.0f);
    EXPECT_EQ(high.y, 360.0f);
    EXPECT_EQ(high.z, 1.0f);
}

TEST(ProjectToScreen, NormalisedValuesAreRoundedToFloatBeforeTheMapping) {
    // For these clip values, mapping the unrounded quotient x / w (or y / w)
    // gives a different float than mapping the float quotient; x and y are
    // computed side by side, as an optimiser would like to vectorise them.
    const Vec4 clip{1.0f, -0.5567010045051575f, 1.5f, 2.0999999046325684f};
    const Vec4 s = projectToScreen(clip, 480, 360);
    EXPECT_EQ(floatBits(s.x), floatBits(354.2857360839844f));
    EXPECT_NE(floatBits(s.x), floatBits(354.28570556640625f));
    EXPECT_EQ(floatBits(s.y), floatBits(132.2827606201172f));
    EXPECT_NE(floatBits(s.y), floatBits(132.28277587890625f));
    EXPECT_EQ(floatBits(s.z), floatBits(0.7142857313156128f));

    const Vec4 t =
        projectToScreen(Vec4{0.5714285969734192f, 0.0f, 0.0f, 1.7666666507720947f}, 480, 480);
    EXPECT_EQ(floatBits(t.x), floatBits(317.6280212402344f));
}

TEST(ToClipSpace, AppliesTheViewMatrixThenTheProjection) {
    Scene scene;
    scene.viewTransform.matrix.translate(0.0f, 0.0f, -3.0f);
    scene.projectionTransform.matrix.perspective(0.5f, 0.25f, 1.0f, 10.0f);
    const Vec4 clip = toClipSpace(scene, Vec4{1.0f, 1.0f, 0.0f, 1.0f});
    // Eye position (1, 1, -3): x / 0.5, y / 0.25, w = 3.
    EXPECT_EQ(clip.x, 2.0f);
    EXPECT_EQ(clip.y, 4.0f);
    EXPECT_EQ(clip.w, 3.0f);
    const Vec4 screen = projectToScreen(clip, 300, 300);
    EXPECT_FLOAT_EQ(screen.x, 250.0f);
}
