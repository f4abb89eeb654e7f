#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "raster/buffers/viewer_buffers.h"
#include "raster/plain/project_vertex.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
// Near plane distance as the camera passes it on, a float.
constexpr float kNear = 0.1f;

bool wholeSceneBeyondNearPlane(const Scene& scene) {
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            for (const Vertex& v : face.vertices) {
                if (!(toClipSpace(scene, v.position).w >= kNear)) return false;
            }
        }
    }
    return true;
}

int notANumberPixels() {
    int count = 0;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const Color& c = colorBuffer[i];
        if (std::isnan(c.r) || std::isnan(c.g) || std::isnan(c.b) || std::isnan(c.a) ||
            std::isnan(depthBuffer[i])) {
            ++count;
        }
    }
    return count;
}

std::vector<View> extremeViews() {
    std::vector<View> views;
    const float angles[][2] = {{-135.0f, -60.0f}, {0.0f, 0.0f},     {90.0f, -90.0f},
                               {180.0f, 180.0f},  {33.0f, -151.0f}, {-720.5f, 1.0e6f}};
    const float pans[][2] = {{0.0f, 0.0f}, {25.0f, -40.0f}, {-5000.0f, 3000.0f}, {1.0e7f, -1.0e7f}};
    for (const auto& angle : angles) {
        for (int zoomStep = -100; zoomStep <= 100; zoomStep += 10) {
            for (const auto& pan : pans) {
                views.push_back(
                    View{angle[0], angle[1], static_cast<float>(zoomStep), pan[0], pan[1]});
            }
        }
        // Zoom positions that put the eye right into the patches.
        for (float zoomStep = 9.0f; zoomStep <= 14.0f; zoomStep += 0.25f) {
            views.push_back(View{angle[0], angle[1], zoomStep, 0.0f, 0.0f});
        }
    }
    return views;
}

}  // namespace

// renderSoftware draws every view without a sanitizer finding, never writes
// past the pixels into the buffers' spare tail, and gives no NaN colour while
// the whole scene lies beyond the near plane.
TEST(ExtremeViews, RenderSoftwareStaysInsideTheBuffersAndFinite) {
    int views = 0, viewsBeyondNear = 0, viewsWithNaN = 0, nanPixels = 0, maxNaNPixels = 0;
    for (const View& view : extremeViews()) {
        Scene scene;
        prepareDefaultFrame(scene, view, kWidth, kHeight);
        markSlack(kWidth, kHeight);
        renderSoftware(scene, viewerBuffers.pixels(), kWidth, kHeight);

        ++views;
        ASSERT_TRUE(slackIntact(kWidth, kHeight)) << describe(view);
        const int nan = notANumberPixels();
        if (wholeSceneBeyondNearPlane(scene)) {
            ++viewsBeyondNear;
            EXPECT_EQ(nan, 0) << describe(view);
        } else if (nan > 0) {
            ++viewsWithNaN;
            nanPixels += nan;
            maxNaNPixels = std::max(maxNaNPixels, nan);
        }
    }
    std::printf(
        "%d views at %dx%d, %d with the scene wholly beyond the near plane; of the others %d "
        "show NaN pixels (%d in all, at most %d in one view)\n",
        views, kWidth, kHeight, viewsBeyondNear, viewsWithNaN, nanPixels, maxNaNPixels);
    EXPECT_GT(viewsBeyondNear, 0);
    EXPECT_LT(viewsBeyondNear, views);
}
