#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gl/render_opengl.h"
#include "gl_window.h"
#include "mismatch_pictures.h"
#include "projection.h"
#include "rgba_pictures.h"
#include "scene/default_scene.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace {

// Object k is drawn in its own colour where the camera projects its patch:
// red object 0, blue object 1, green object 2 (channel indices 0, 2, 1).
void expectPatchesWhereProjected(int width, int height) {
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, width, height);
    glwindow::beginFrame(width, height);
    renderOpenGL(scene, width, height);
    const std::vector<std::uint8_t> rgba = glwindow::readRgba(0, 0, width, height);
    const int expectedChannel[3] = {0, 2, 1};
    bool failed = false;
    for (int k = 0; k < 3; ++k) {
        double wx, wy, wz;
        defaultPatchPoint(k, &wx, &wy, &wz);
        WindowPoint p;
        ASSERT_TRUE(projectToWindow(scene, wx, wy, wz, width, height, &p));
        const int x = static_cast<int>(p.x);
        const int y = static_cast<int>(p.y);
        ASSERT_TRUE(x >= 0 && x < width && y >= 0 && y < height) << "object " << k;
        const std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
        EXPECT_EQ(dominantChannel(pixel), expectedChannel[k])
            << "object " << k << " at " << x << "," << y << " is " << int(pixel[0]) << ","
            << int(pixel[1]) << "," << int(pixel[2]) << " (" << width << "x" << height << ")";
        failed |= dominantChannel(pixel) != expectedChannel[k];
    }
    // The corners away from the overlay stay background white.
    for (const auto& corner : {std::make_pair(width - 1, height - 1), std::make_pair(0, height - 1),
                               std::make_pair(width - 1, 0)}) {
        const std::uint8_t* pixel =
            &rgba[(static_cast<std::size_t>(corner.second) * width + corner.first) * 4];
        EXPECT_TRUE(pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255)
            << corner.first << "," << corner.second;
    }
    if (failed) {
        std::printf("%s\n", savePicture("scene", pictureOfRgba(rgba, width, height)).c_str());
    }
}

TEST(ScenePicture, PatchesAppearInTheirColoursWhereTheCameraPutsThem) {
    resetViewState();
    expectPatchesWhereProjected(480, 480);
    expectPatchesWhereProjected(640, 360);
    expectPatchesWhereProjected(300, 700);
    angleZ = -60.0f;
    angleX = -30.0f;
    zoom = 2.0f;
    panX = -40.0f;
    expectPatchesWhereProjected(480, 480);
    resetViewState();
}

}  // namespace
