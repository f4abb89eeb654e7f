// GLUT's glyphs drawn without GLUT's help, as the reference off screen draws
// its overlay line, against glutBitmapCharacter in the same window.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gl/bitmap_text.h"
#include "gl_window.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 200;

using UnpackState = std::array<GLint, 6>;

const GLenum kUnpackNames[6] = {GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST,   GL_UNPACK_ROW_LENGTH,
                                GL_UNPACK_SKIP_ROWS,  GL_UNPACK_SKIP_PIXELS, GL_UNPACK_ALIGNMENT};

UnpackState unpackState() {
    UnpackState state{};
    for (int i = 0; i < 6; ++i) glGetIntegerv(kUnpackNames[i], &state[i]);
    return state;
}

void setUnpackState(const UnpackState& state) {
    for (int i = 0; i < 6; ++i) glPixelStorei(kUnpackNames[i], state[i]);
}

// What one way of drawing leaves: the pixels, where the raster position
// ends and the unpack state.
struct Drawn {
    std::vector<std::uint8_t> rgba;
    std::array<GLfloat, 4> rasterEnd{};
    UnpackState unpack{};
};

template <typename Draw>
Drawn drawLines(const std::vector<std::string>& lines, float x, float y, const GLfloat colour[3],
                const UnpackState& leftBefore, Draw draw) {
    glwindow::beginFrame(kWidth, kHeight);
    setUnpackState(leftBefore);
    glColor3fv(colour);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        glRasterPos2f(x, y + 24.0f * static_cast<float>(i));
        draw(lines[i].c_str());
    }
    Drawn drawn;
    glGetFloatv(GL_CURRENT_RASTER_POSITION, drawn.rasterEnd.data());
    drawn.unpack = unpackState();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    drawn.rgba = glwindow::readRgba(0, 0, kWidth, kHeight);
    setUnpackState({GL_FALSE, GL_FALSE, 0, 0, 0, 4});
    return drawn;
}

long inked(const std::vector<std::uint8_t>& rgba) {
    long count = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        count += rgba[i] != 255 || rgba[i + 1] != 255 || rgba[i + 2] != 255;
    }
    return count;
}

TEST(BitmapText, GlutGlyphsDrawExactlyWhatGlutBitmapCharacterDraws) {
    std::string why;
    ASSERT_TRUE(glutGlyphsReachable(&why)) << why;

    // The overlay line, then every char value in lines of 48; those a
    // signed char makes negative are skipped by both.
    std::vector<std::string> lines = {"OpenGL rendering (toggle with 'g')"};
    std::string every;
    for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
    for (std::size_t at = 0; at < every.size(); at += 48) lines.push_back(every.substr(at, 48));

    const GLfloat black[3] = {0.0f, 0.0f, 0.0f};
    const GLfloat tint[3] = {0.2f, 0.6f, 0.9f};
    const UnpackState defaults = {GL_FALSE, GL_FALSE, 0, 0, 0, 4};
    const UnpackState odd = {GL_TRUE, GL_TRUE, 7, 3, 2, 8};
    const struct {
        float x, y;
        const GLfloat* colour;
        const UnpackState* unpack;
    } cases[] = {
        {10.0f, 10.0f, black, &defaults},  // where the overlay line stands
        {10.5f, 7.25f, tint, &defaults},   // between pixels
        {3.0f, 40.0f, black, &odd},        // unpack state the glyphs must not depend on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        const Drawn glut = drawLines(lines, c.x, c.y, c.colour, *c.unpack, [](const char* text) {
            for (const char* p = text; *p != '\0'; ++p) {
                glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, *p);
            }
        });
        const Drawn own = drawLines(lines, c.x, c.y, c.colour, *c.unpack, drawGlutGlyphs);
        EXPECT_GT(inked(glut.rgba), 2000);
        EXPECT_TRUE(own.rgba == glut.rgba)
            << inked(own.rgba) << " inked, GLUT " << inked(glut.rgba);
        EXPECT_EQ(own.rasterEnd, glut.rasterEnd);
        EXPECT_EQ(own.unpack, *c.unpack);
        EXPECT_EQ(glut.unpack, *c.unpack);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
