#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "examine/colour_scales.h"
#include "examine/renderer_comparison.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/like_reference/render_like_reference.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/images/comparison_panels.h"
#include "tools/snapshot/stage_pictures.h"
#include "view/camera.h"
#include "web/page_frame.h"

namespace {

// The tools' picture of one frame's colours and depths (rows from the
// bottom), as the comparison reads a renderer: top row first.
RendererPicture toolPicture(const std::vector<float>& color, const std::vector<float>& depth,
                            int width, int height) {
    RendererPicture picture;
    picture.width = width;
    picture.height = height;
    for (int top = 0; top < height; ++top) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(height - 1 - top) * width + x;
            for (int c = 0; c < 3; ++c) picture.rgb.push_back(windowByte(color[3 * i + c]));
            picture.windowDepth.push_back(0.5 * static_cast<double>(depth[i]) + 0.5);
        }
    }
    return picture;
}

// The canvas's pixel at column x of row `top` (0 at the top) of RGBA bytes.
Rgb panelPixel(const std::vector<std::uint8_t>& rgba, int width, int x, int top) {
    const std::size_t i = (static_cast<std::size_t>(top) * width + x) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2]};
}

struct FrameCase {
    PageView view;
    const char* name;
};

std::vector<FrameCase> frameCases() {
    std::vector<FrameCase> cases(3);
    cases[0].name = "start-up view";
    cases[1].view.view.angleZ = -75.0f;
    cases[1].view.view.angleX = -30.0f;
    cases[1].view.width = 320;
    cases[1].view.height = 200;
    cases[1].name = "turned, wide";
    cases[2].view.rules = firstReferenceRules(4);
    cases[2].view.width = 150;
    cases[2].view.height = 250;
    cases[2].name = "four rules, tall";
    return cases;
}

// Every figure of two reports, the differing pixels' list aside.
void expectSameFigures(const ComparisonReport& d, const ComparisonReport& report,
                       const std::string& what) {
    EXPECT_EQ(d.both, report.both) << what;
    EXPECT_EQ(d.softwareOnly, report.softwareOnly) << what;
    EXPECT_EQ(d.referenceOnly, report.referenceOnly) << what;
    EXPECT_EQ(d.pixelsOverTolerance, report.pixelsOverTolerance) << what;
    EXPECT_EQ(d.maxStepDifference, report.maxStepDifference) << what;
    EXPECT_EQ(d.stepDifferenceSum, report.stepDifferenceSum) << what;
    EXPECT_EQ(d.maxStepDifferenceAt, report.maxStepDifferenceAt) << what;
    EXPECT_EQ(d.maxDepthDifference, report.maxDepthDifference) << what;
}

// The page's difference figures and map against the comparison tool's
// report and map of the same two pictures.
TEST(PageFrame, DifferenceIsTheComparisonToolsOfTheSamePictures) {
    for (const FrameCase& c : frameCases()) {
        PageFrame frame;
        ASSERT_TRUE(frame.draw(c.view)) << c.name;
        const int width = c.view.width, height = c.view.height;
        const RendererPicture software =
            toolPicture(frame.softwareColor(), frame.softwareDepth(), width, height);
        const RendererPicture model =
            toolPicture(frame.modelColor(), frame.modelDepth(), width, height);
        const ComparisonReport report = compareRenderers(software, model, kDifferenceTolerance);
        const ComparisonReport& d = frame.difference();
        expectSameFigures(d, report, c.name);
        EXPECT_GT(d.both, 1000) << c.name;

        const std::vector<std::uint8_t>& map = frame.mapPanel(MapPicture::Difference);
        for (int top = 0; top < height; ++top) {
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(
                    panelPixel(map, width, x, top),
                    differenceColour(software, model, static_cast<std::size_t>(top) * width + x))
                    << c.name << " at " << x << ", row " << height - 1 - top;
            }
        }
    }
}

// The canvas's pixels against a tool picture's frame (its legend strip below
// the frame left out).
void expectSamePicture(const std::vector<std::uint8_t>& panel, const RgbCanvas& picture, int width,
                       int height, const std::string& what) {
    for (int top = 0; top < height; ++top) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = (static_cast<std::size_t>(top) * width + x) * 3;
            const Rgb tool = {picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
            ASSERT_EQ(panelPixel(panel, width, x, top), tool)
                << what << " at " << x << ", row " << height - 1 - top;
        }
    }
}

// The stage pictures against the snapshot tool's of the same frame, its
// stages watched by the tool's own recorder.
TEST(PageFrame, StagePicturesAreTheSnapshotToolsOfTheSameFrame) {
    for (const FrameCase& c : frameCases()) {
        PageFrame frame;
        ASSERT_TRUE(frame.draw(c.view)) << c.name;
        const int width = c.view.width, height = c.view.height;
        Scene scene;
        buildDefaultScene(scene);
        setupCamera(scene, c.view.view, width, height);
        ASSERT_TRUE(prepareFrameBuffers(viewerBuffers, width, height));
        StageRecorder stages(width, height);
        renderSoftwareLikeReference(scene, viewerBuffers.pixels(), width, height, c.view.rules,
                                    &stages);

        expectSamePicture(frame.stagePanel(StagePicture::Depth),
                          depthPicture(frame.softwareDepth().data(), width, height), width, height,
                          std::string(c.name) + ", depth");
        expectSamePicture(frame.stagePanel(StagePicture::Faces), facesPicture(stages, scene), width,
                          height, std::string(c.name) + ", faces");
        expectSamePicture(frame.stagePanel(StagePicture::Fragments), fragmentsPicture(stages),
                          width, height, std::string(c.name) + ", fragments");
    }
}

// One frame after another in the same page, each shown and compared as a
// page that draws only that frame shows it: what the frame before drew and
// this one does not is cleared everywhere, at the same size and across a
// change of size or a size refused, and whichever map or reference was
// shown before; a model left for later is drawn when asked for, as it would
// have been at once.
TEST(PageFrame, EachFrameOfASequenceIsShownAsIfDrawnAlone) {
    struct Step {
        const char* name;
        float angleZ, angleX, zoom, panX;
        int width, height, rules;
        bool causesShownBefore;
        bool withModel;
        bool refusalBefore;  // a frame too wide to draw asked for first
    };
    const Step steps[] = {
        {"start-up", 0.0f, 0.0f, 0.25f, 0.0f, 160, 120, 0, false, true, false},
        {"turned", -75.0f, -30.0f, 0.25f, 0.0f, 160, 120, 0, true, false, false},
        {"farther away", -75.0f, -30.0f, -6.0f, 0.0f, 160, 120, 0, false, true, false},
        {"panned off the frame", 0.0f, 0.0f, 0.25f, 4000.0f, 160, 120, 0, false, true, false},
        {"four rules", 20.0f, 10.0f, 0.25f, 0.0f, 160, 120, 4, false, false, false},
        {"after a refusal", 0.0f, 0.0f, 0.25f, 0.0f, 160, 120, 0, false, false, true},
        {"other size", 0.0f, 0.0f, 0.25f, 0.0f, 120, 160, 0, false, false, false},
        {"first size again", 10.0f, 0.0f, 0.25f, 0.0f, 160, 120, 0, true, true, true},
    };
    PageFrame frame;
    for (const Step& step : steps) {
        if (step.causesShownBefore) frame.mapPanel(MapPicture::Causes);
        if (step.refusalBefore) {
            PageView tooWide;
            tooWide.width = kLargestPageSide + 1;
            EXPECT_FALSE(frame.draw(tooWide)) << step.name;
        }
        PageView view;
        view.view.angleZ = step.angleZ;
        view.view.angleX = step.angleX;
        view.view.zoom = step.zoom;
        view.view.panX = step.panX;
        view.width = step.width;
        view.height = step.height;
        view.rules = firstReferenceRules(step.rules);
        ASSERT_TRUE(frame.draw(view, PagePixel(), step.withModel)) << step.name;
        PageFrame alone;
        ASSERT_TRUE(alone.draw(view)) << step.name;

        EXPECT_EQ(frame.softwareColor(), alone.softwareColor()) << step.name;
        EXPECT_EQ(frame.softwareDepth(), alone.softwareDepth()) << step.name;
        EXPECT_EQ(frame.modelColor(), alone.modelColor()) << step.name;
        EXPECT_EQ(frame.modelDepth(), alone.modelDepth()) << step.name;
        EXPECT_EQ(frame.softwarePanel(), alone.softwarePanel()) << step.name;
        EXPECT_EQ(frame.modelPanel(), alone.modelPanel()) << step.name;
        EXPECT_EQ(frame.mapPanel(MapPicture::Difference), alone.mapPanel(MapPicture::Difference))
            << step.name;
        expectSameFigures(frame.difference(), alone.difference(), step.name);
    }
}

}  // namespace
