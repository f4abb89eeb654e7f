#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gl/render_opengl.h"
#include "gl_window.h"

namespace {

struct Box {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    int count = 0;
};

// Bounding box of the pixels that differ from white; every one of them must
// have exactly the colour `ink`.
Box inkBox(const std::vector<std::uint8_t>& rgba, int width, int height, const GLubyte ink[3],
           int* wrongColour) {
    Box box;
    *wrongColour = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            if (p[0] == 255 && p[1] == 255 && p[2] == 255) continue;
            if (p[0] != ink[0] || p[1] != ink[1] || p[2] != ink[2]) ++*wrongColour;
            box.minX = std::min(box.minX, x);
            box.maxX = std::max(box.maxX, x);
            box.minY = std::min(box.minY, y);
            box.maxY = std::max(box.maxY, y);
            ++box.count;
        }
    }
    return box;
}

std::vector<std::uint8_t> drawOverlayOnly(int width, int height, float r, float g, float b) {
    Scene empty;
    glwindow::beginFrame(width, height);
    // Leave matrices the overlay must not depend on.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.1, 0.3, -0.2, 0.1, 0.1, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.5f, -0.25f, -2.0f);
    glColor3f(r, g, b);
    renderOpenGL(empty, width, height);
    return glwindow::readRgba(0, 0, width, height);
}

// The overlay text sits 10 pixels from the left and bottom edges whatever the
// window size and the matrices, in the colour that was current.
TEST(Overlay, StartsTenPixelsFromTheLowerLeftCornerInTheCurrentColour) {
    const GLubyte black[3] = {0, 0, 0};
    const std::vector<std::uint8_t> square = drawOverlayOnly(480, 480, 0.0f, 0.0f, 0.0f);
    int wrong = 0;
    const Box box = inkBox(square, 480, 480, black, &wrong);
    EXPECT_EQ(wrong, 0);
    ASSERT_GT(box.count, 200) << "no overlay text drawn";
    // The first glyph 'O' starts at the raster position (its bitmap may begin
    // a pixel to the right); parentheses and 'g' reach a few pixels below the
    // baseline.
    EXPECT_GE(box.minX, 10);
    EXPECT_LE(box.minX, 12);
    EXPECT_GE(box.minY, 4);
    EXPECT_LT(box.minY, 10);
    // The 'O' has no descender: its lowest row is the baseline, y = 10.
    int baseline = -1;
    for (int y = 0; y < 40 && baseline < 0; ++y) {
        for (int x = box.minX; x < box.minX + 12; ++x) {
            if (square[(static_cast<std::size_t>(y) * 480 + x) * 4] != 255) baseline = y;
        }
    }
    EXPECT_EQ(baseline, 10);
    EXPECT_LE(box.maxY, 10 + 18);
    EXPECT_GT(box.maxX, 200);
    EXPECT_LT(box.maxX, 400);

    // Same glyphs at the same place in a wide, low window.
    const std::vector<std::uint8_t> wide = drawOverlayOnly(640, 120, 0.0f, 0.0f, 0.0f);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 480; ++x) {
            const std::size_t a = (static_cast<std::size_t>(y) * 480 + x) * 4;
            const std::size_t b = (static_cast<std::size_t>(y) * 640 + x) * 4;
            if (square[a] != wide[b]) {
                ADD_FAILURE() << "640x120 overlay differs from 480x480 at " << x << "," << y;
                return;
            }
        }
    }
    const Box wideBox = inkBox(wide, 640, 120, black, &wrong);
    EXPECT_EQ(wideBox.count, box.count);

    const GLubyte blue[3] = {0, 0, 255};
    const std::vector<std::uint8_t> tinted = drawOverlayOnly(480, 480, 0.0f, 0.0f, 1.0f);
    const Box blueBox = inkBox(tinted, 480, 480, blue, &wrong);
    EXPECT_EQ(wrong, 0) << "overlay not drawn in the current colour";
    EXPECT_EQ(blueBox.count, box.count);
}

TEST(Overlay, WhiteOnWhiteLeavesNothingVisible) {
    const std::vector<std::uint8_t> frame = drawOverlayOnly(480, 480, 1.0f, 1.0f, 1.0f);
    const GLubyte white[3] = {255, 255, 255};
    int wrong = 0;
    EXPECT_EQ(inkBox(frame, 480, 480, white, &wrong).count, 0);
}

}  // namespace
