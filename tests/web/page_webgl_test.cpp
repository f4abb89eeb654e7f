#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "raster/buffers/window_bytes.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/page_fit.h"
#include "web/page_frame.h"
#include "web/page_rules.h"
#include "web/page_webgl_scene.h"

namespace {

const View kViews[] = {View{}, View{-75.0f, -30.0f, 2.25f, 0.0f, 0.0f},
                       View{45.0f, 0.0f, 0.25f, 12.0f, -7.0f}};

// The model's picture as a WebGL read-back holds it: r, g, b, a per pixel,
// rows from the bottom, a = 0 where nothing was drawn.
std::vector<std::uint8_t> modelAsReadBack(PageFrame& frame) {
    const std::vector<float>& color = frame.modelColor();
    const std::vector<float>& depth = frame.modelDepth();
    std::vector<std::uint8_t> rgba(depth.size() * 4, 0);
    for (std::size_t i = 0; i < depth.size(); ++i) {
        if (!(depth[i] < 1.0f)) continue;
        for (int c = 0; c < 3; ++c) rgba[4 * i + c] = windowByte(color[3 * i + c]);
        rgba[4 * i + 3] = 255;
    }
    return rgba;
}

// Compared with the model's own bytes, the frame counts what it counts
// against the model, and draws the same maps and panel; the fit's score of
// all rules against them leaves nothing, and of no rule what the difference
// counts. One frame draws the views one after another, as the page does.
TEST(PageWebgl, ComparingWithBytesCountsAsWithTheModel) {
    PageFrame frame;
    for (const View& view : kViews) {
        PageView page;
        page.view = view;
        page.width = 160;
        page.height = 120;
        ASSERT_TRUE(frame.draw(page));
        const ComparisonReport model = frame.difference();
        const std::vector<std::uint8_t> modelMap = frame.mapPanel(MapPicture::Difference);
        const std::vector<std::int8_t> modelCauses = frame.causes();
        const std::vector<std::uint8_t> bytes = modelAsReadBack(frame);
        ASSERT_TRUE(frame.compareWith(bytes));
        EXPECT_FALSE(frame.comparesWithModel());
        const ComparisonReport given = frame.difference();
        EXPECT_EQ(given.both, model.both);
        EXPECT_EQ(given.softwareOnly, model.softwareOnly);
        EXPECT_EQ(given.referenceOnly, model.referenceOnly);
        EXPECT_EQ(given.pixelsOverTolerance, model.pixelsOverTolerance);
        EXPECT_EQ(given.maxStepDifference, model.maxStepDifference);
        EXPECT_EQ(given.stepDifferenceSum, model.stepDifferenceSum);
        EXPECT_EQ(frame.mapPanel(MapPicture::Difference), modelMap);
        EXPECT_EQ(frame.causes(), modelCauses);
        EXPECT_EQ(frame.givenPanel(), frame.modelPanel());

        PageFitScore all, none;
        ASSERT_TRUE(scoreRulesAgainst(view, 160, 120, pageRules(0xff), bytes, &all));
        EXPECT_EQ(all.differing, 0);
        ASSERT_TRUE(scoreRulesAgainst(view, 160, 120, pageRules(0), bytes, &none));
        EXPECT_EQ(none.differing, model.differing());
        EXPECT_EQ(none.steps, model.stepDifferenceSum);

        EXPECT_FALSE(frame.compareWith(std::vector<std::uint8_t>(7)));
        EXPECT_TRUE(frame.comparesWithModel());
        EXPECT_FALSE(
            scoreRulesAgainst(view, 160, 120, pageRules(0), std::vector<std::uint8_t>(7), &none));
    }
}

// Every face is a fan from its first corner, in draw order, each corner with
// its object's material; the matrices are the camera's, column-major.
TEST(PageWebgl, SceneIsTheCamerasFansAndMatrices) {
    const WebglScene webgl = buildWebglScene(kViews[1], 640, 360);
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, kViews[1], 640, 360);
    std::size_t at = 0;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            for (std::size_t i = 1; i + 1 < face.vertices.size(); ++i) {
                for (const std::size_t corner : {std::size_t{0}, i, i + 1}) {
                    ASSERT_LT(at + kWebglVertexFloats, webgl.vertices.size() + 1);
                    const float* v = &webgl.vertices[at];
                    EXPECT_EQ(v[0], face.vertices[corner].position.x);
                    EXPECT_EQ(v[6], face.vertices[corner].normal.z);
                    EXPECT_EQ(v[7], object.material.diffuse.r);
                    EXPECT_EQ(v[15], static_cast<float>(object.material.shininess));
                    at += kWebglVertexFloats;
                }
            }
        }
    }
    EXPECT_EQ(at, webgl.vertices.size());
    EXPECT_EQ(webgl.lightCount, static_cast<int>(scene.lights.size()));
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(webgl.uniforms[kWebglModelViewAt + 4 * column + row],
                      static_cast<float>(scene.viewTransform.matrix.at(row, column)));
            EXPECT_EQ(webgl.uniforms[kWebglProjectionAt + 4 * column + row],
                      static_cast<float>(scene.projectionTransform.matrix.at(row, column)));
        }
    }
    EXPECT_EQ(webgl.uniforms[kWebglLightsAt + 2], scene.lights[0].position.z);
}

// Bits 8 to 11 carry the grid of the subpixel rule, and only with it.
TEST(PageWebgl, RulesCarryTheGrid) {
    const int subpixel = 1 << kSubpixelRule;
    EXPECT_EQ(pageRules(subpixel).subpixel, kDefaultSubpixelBits);
    EXPECT_EQ(pageRules(subpixel | 4 << 8).subpixel, 4);
    EXPECT_EQ(pageRules(4 << 8).subpixel, 0);
    EXPECT_EQ(pageRules(subpixel | 9 << 8).subpixel, kDefaultSubpixelBits);
}

}  // namespace
