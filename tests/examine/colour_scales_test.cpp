// The colour scales at their ends and where they must tell values apart:
// the page's panels and the tools' pictures are drawn with these alone.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "examine/colour_scales.h"
#include "scene/default_scene.h"

namespace {

TEST(ColourScales, ClampOutsideTheirRange) {
    EXPECT_EQ(heatColour(-5), (Rgb{0, 0, 0}));
    EXPECT_EQ(heatColour(255), (Rgb{255, 255, 170}));
    EXPECT_EQ(heatColour(260), heatColour(255));
    EXPECT_EQ(fragmentCountColour(0), (Rgb{255, 255, 255}));
    EXPECT_EQ(fragmentCountColour(kHottestCount + 4), fragmentCountColour(kHottestCount));
    std::set<Rgb> counts;
    for (std::uint32_t count = 0; count <= kHottestCount; ++count) {
        counts.insert(fragmentCountColour(count));
    }
    EXPECT_EQ(counts.size(), kHottestCount + 1);
}

TEST(ColourScales, NeighbouringFacesDifferAndNoFaceIsWhite) {
    Scene scene;
    buildDefaultScene(scene);
    for (std::size_t object = 0; object < scene.objects.size(); ++object) {
        const int o = static_cast<int>(object);
        for (int face = 0; face + 1 < static_cast<int>(scene.objects[object].faces.size());
             ++face) {
            ASSERT_NE(faceColour(scene, o, face), faceColour(scene, o, face + 1))
                << o << " " << face;
            ASSERT_NE(faceColour(scene, o, face), kNoFaceColour) << o << " " << face;
        }
    }
    EXPECT_EQ(faceColour(scene, -1, -1), kNoFaceColour);
    EXPECT_EQ(faceColour(scene, static_cast<int>(scene.objects.size()), 0), kNoFaceColour);
}

TEST(ColourScales, DepthStretchesOverTheStoredRangeAndLeavesTheRestBlack) {
    const float depths[] = {1.0f, 0.25f, -0.5f, std::nanf(""), 0.75f, 2.0f};
    const DepthScale scale = depthScale(depths, std::size(depths));
    EXPECT_EQ(scale.nearest, -0.5f);
    EXPECT_EQ(scale.farthest, 0.75f);
    EXPECT_EQ(depthColour(-0.5f, scale), (Rgb{255, 255, 255}));
    const auto far = static_cast<std::uint8_t>(kFarthestGrey);
    EXPECT_EQ(depthColour(0.75f, scale), (Rgb{far, far, far}));
    for (const float none : {1.0f, 2.0f, std::nanf("")}) {
        EXPECT_EQ(depthColour(none, scale), (Rgb{0, 0, 0})) << none;
    }
    const DepthScale empty = depthScale(depths, 1);
    EXPECT_GT(empty.nearest, empty.farthest);
}

}  // namespace
