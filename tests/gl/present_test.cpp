#include "gl/present.h"

// glWindowPos2i is OpenGL 1.4; Mesa declares it in glext.h only on request.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "gl_window.h"
#include "mismatch_pictures.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "rgba_pictures.h"

namespace {

// The oracle the upload must match byte for byte: every pixel drawn as a
// point of its own colour, row by row from the bottom.
void presentAsPoints(int width, int height) {
    glBegin(GL_POINTS);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color& c = colorBuffer[static_cast<std::size_t>(y) * width + x];
            glColor3f(c.r, c.g, c.b);
            glVertex2i(x, y);
        }
    }
    glEnd();
}

// The earlier presentation: the whole buffer uploaded as GL_RGBA / GL_FLOAT,
// alpha replaced by 1. Where one point per pixel leaves the conversion of a
// colour to the implementation (infinities, NaN), this is what the window
// shows and what the byte upload has to keep showing.
void presentAsFloats(int width, int height) {
    if (width <= 0 || height <= 0) return;
    glPushAttrib(GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelTransferf(GL_ALPHA_SCALE, 0.0f);
    glPixelTransferf(GL_ALPHA_BIAS, 1.0f);
    glWindowPos2i(0, 0);
    glDrawPixels(width, height, GL_RGBA, GL_FLOAT, colorBuffer);
    glPopClientAttrib();
    glPopAttrib();
    const Color& c = colorBuffer[static_cast<std::size_t>(height - 1) * width + (width - 1)];
    glColor3f(c.r, c.g, c.b);
}

// Values across [-0.5, 2]: random ones plus the places where clamping and
// rounding to 8 bits decide (0, 1, each step k/255 and the midpoints between
// steps, and their float neighbours), and with `nonFinite` infinities and NaN.
std::vector<float> interestingValues(bool nonFinite) {
    std::vector<float> values = {-0.5f, -0.0f,  0.0f,       1.0f,      2.0f,
                                 0.5f,  1e-30f, 0.9999999f, 1.0000001f};
    if (nonFinite) values.insert(values.end(), {HUGE_VALF, -HUGE_VALF, NAN, -NAN});
    for (int k = 0; k <= 255; ++k) {
        const float step = static_cast<float>(k) / 255.0f;
        const float mid = (static_cast<float>(k) + 0.5f) / 255.0f;
        values.push_back(step);
        values.push_back(mid);
        values.push_back(std::nextafter(mid, 0.0f));
        values.push_back(std::nextafter(mid, 1.0f));
    }
    return values;
}

void fillBuffer(int width, int height, unsigned seed, bool nonFinite = false) {
    prepareFrameBuffers(viewerBuffers, width, height);
    const std::vector<float> special = interestingValues(nonFinite);
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> anywhere(-0.5f, 2.0f);
    std::uniform_int_distribution<std::size_t> pick(0, special.size() - 1);
    auto value = [&] { return (random() & 1) ? anywhere(random) : special[pick(random)]; };
    const std::size_t pixels = static_cast<std::size_t>(width) * height;
    // Alpha stays finite: the float upload computed alpha as alpha * 0 + 1,
    // which only a finite alpha turns into 1.
    for (std::size_t i = 0; i < pixels; ++i) {
        const float r = value(), g = value(), b = value();
        colorBuffer[i] = Color(r, g, b, anywhere(random));
    }
}

struct Presented {
    std::vector<std::uint8_t> pixels;  // one pixel of margin right and above
    GLfloat color[4];
};

template <typename Present>
Presented presentOneWay(int width, int height, Present present, bool overWhite = false) {
    glwindow::beginFrame(glwindow::kWidth, glwindow::kHeight);
    if (overWhite) {
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    } else {
        glClearColor(0.2f, 0.4f, 0.6f, 0.8f);
    }
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, 0, -1);
    glColor4f(0.3f, 0.6f, 0.9f, 0.5f);
    present(width, height);
    Presented result;
    glGetFloatv(GL_CURRENT_COLOR, result.color);
    const int readWidth = std::min(width + 1, glwindow::kWidth);
    const int readHeight = std::min(height + 1, glwindow::kHeight);
    result.pixels = glwindow::readRgba(0, 0, readWidth, readHeight);
    return result;
}

// Over a window cleared to white, a buffer that is white outside `drawn`.
void whiteOutside(int width, int height, const PixelBounds& drawn) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inside = x >= drawn.firstColumn && x <= drawn.lastColumn &&
                                y >= drawn.firstRow && y <= drawn.lastRow;
            if (!inside) colorBuffer[static_cast<std::size_t>(y) * width + x] = Color(1, 1, 1, 1);
        }
    }
}

using Presentation = void (*)(int width, int height);

// presentColorBuffer of the viewer's colour buffer.
void presentViewerColors(int width, int height) {
    presentColorBuffer(colorBuffer, width, height);
}

// The whole buffer, or with `drawn` given only that part of it over the white
// clear, against a reference presentation of the whole buffer. Infinities and
// NaN are in the picture when the reference is the float upload.
::testing::AssertionResult presentsLike(Presentation reference, int width, int height,
                                        unsigned seed, const PixelBounds* drawn = nullptr) {
    fillBuffer(width, height, seed, reference == presentAsFloats);
    if (drawn) whiteOutside(width, height, *drawn);
    const bool overWhite = drawn != nullptr;
    const Presented expected = presentOneWay(width, height, reference, overWhite);
    const Presented actual =
        drawn ? presentOneWay(
                    width, height,
                    [drawn](int w, int h) { presentColorBufferRect(colorBuffer, w, h, *drawn); },
                    overWhite)
              : presentOneWay(width, height, presentViewerColors);
    const int readWidth = std::min(width + 1, glwindow::kWidth);
    const int readHeight = std::min(height + 1, glwindow::kHeight);
    if (expected.pixels != actual.pixels) {
        std::size_t differing = 0;
        for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
            differing += expected.pixels[i] != actual.pixels[i];
        }
        const std::vector<bool> differs =
            differingRgba(expected.pixels, actual.pixels, readWidth, readHeight);
        return ::testing::AssertionFailure()
               << width << "x" << height << ": " << differing << " bytes differ; "
               << saveMismatchPictures(
                      "present", pictureOfRgba(actual.pixels, readWidth, readHeight),
                      pictureOfRgba(expected.pixels, readWidth, readHeight), &differs);
    }
    for (int i = 0; i < 4; ++i) {
        if (expected.color[i] != actual.color[i]) {
            return ::testing::AssertionFailure()
                   << width << "x" << height << ": current colour component " << i << " is "
                   << actual.color[i] << ", points leave " << expected.color[i];
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(Presentation, MatchesOnePointPerPixelByteForByte) {
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    ASSERT_GT(alphaBits, 0) << "the window needs alpha so that alpha differences show";
    const std::pair<int, int> sizes[] = {{1, 1},    {2, 3},    {641, 479},  {480, 480},
                                         {997, 13}, {5, 1079}, {1920, 1080}};
    unsigned seed = 1;
    for (const auto& size : sizes) {
        EXPECT_TRUE(presentsLike(presentAsPoints, size.first, size.second, seed++));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Infinities and NaN come out as the float upload showed them: NaN and -inf
// as 0, +inf as 255.
TEST(Presentation, MatchesTheFloatUploadWithInfinitiesAndNaN) {
    const std::pair<int, int> sizes[] = {{1, 1}, {641, 479}, {1920, 1080}};
    unsigned seed = 50;
    for (const auto& size : sizes) {
        EXPECT_TRUE(presentsLike(presentAsFloats, size.first, size.second, seed++));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The frame shows only the rectangle the software render drew, over the
// window's white clear; rectangles reaching past the frame are cut to it.
TEST(Presentation, DrawnRectangleOverWhiteMatchesOnePointPerPixel) {
    const struct {
        int width, height;
        PixelBounds drawn;
    } cases[] = {{480, 480, {100, 37, 411, 300}}, {333, 517, {0, 0, 332, 516}},
                 {64, 48, {63, 47, 63, 47}},      {64, 48, {-5, 10, 80, 60}},
                 {64, 48, {10, 10, 9, 20}},       {1920, 1080, {600, 200, 1500, 900}}};
    unsigned seed = 100;
    for (const auto& c : cases) {
        EXPECT_TRUE(presentsLike(presentAsFloats, c.width, c.height, seed++, &c.drawn))
            << "rectangle " << c.drawn.firstColumn << "," << c.drawn.firstRow << " to "
            << c.drawn.lastColumn << "," << c.drawn.lastRow;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A picture handed over band by band without waiting for each, every band's
// bytes overwritten as soon as it is handed over (as the next band's are
// made while OpenGL may still be drawing), shows what one point per pixel
// shows over the white clear; without an OpenGL error.
TEST(Presentation, BandsHandedOverWithoutWaitingShowThePicture) {
    const struct {
        int width, height;
        PixelBounds drawn;
        int bandRows;
    } cases[] = {{480, 480, {0, 180, 479, 382}, 64},
                 {1920, 1080, {410, 406, 1508, 860}, 24},
                 {61, 47, {3, 0, 60, 46}, 1},
                 {333, 517, {0, 0, 332, 516}, 200}};
    unsigned seed = 300;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        fillBuffer(c.width, c.height, seed++);
        whiteOutside(c.width, c.height, c.drawn);
        const Presented expected = presentOneWay(c.width, c.height, presentAsPoints, true);
        int bands = 0;
        const Presented actual = presentOneWay(
            c.width, c.height,
            [&](int width, int height) {
                PictureHandOver handOver(width, height);
                const int columns = c.drawn.lastColumn - c.drawn.firstColumn + 1;
                std::vector<std::uint8_t> bytes;
                for (int first = c.drawn.firstRow; first <= c.drawn.lastRow; first += c.bandRows) {
                    const int last = std::min(first + c.bandRows - 1, c.drawn.lastRow);
                    bytes.assign(static_cast<std::size_t>(columns) * (last - first + 1) * 4, 0);
                    for (int y = first; y <= last; ++y) {
                        rw::convertToBgra(
                            colorBuffer + static_cast<std::size_t>(y) * width + c.drawn.firstColumn,
                            static_cast<std::size_t>(columns),
                            bytes.data() + static_cast<std::size_t>(y - first) * columns * 4);
                    }
                    handOver.band(WindowPicture{
                        PixelBounds{c.drawn.firstColumn, first, c.drawn.lastColumn, last},
                        bytes.data()});
                    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0x5a});
                    ++bands;
                }
            },
            true);
        EXPECT_GT(bands, 2);
        EXPECT_EQ(actual.pixels, expected.pixels);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Presentation, LeavesLastPixelColourCurrent) {
    prepareFrameBuffers(viewerBuffers, 4, 3);
    colorBuffer[4 * 3 - 1] = Color(0.25f, 0.5f, 0.75f, 0.125f);
    colorBuffer[0] = Color(0.9f, 0.1f, 0.2f, 1.0f);
    glwindow::beginFrame(4, 3);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    presentColorBuffer(colorBuffer, 4, 3);
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(current[0], 0.25f);
    EXPECT_EQ(current[1], 0.5f);
    EXPECT_EQ(current[2], 0.75f);
    EXPECT_EQ(current[3], 1.0f);
}

TEST(Presentation, RowZeroIsAtTheBottom) {
    prepareFrameBuffers(viewerBuffers, 3, 2);
    colorBuffer[0] = Color(1.0f, 0.0f, 0.0f, 1.0f);  // (0, 0)
    colorBuffer[2] = Color(0.0f, 1.0f, 0.0f, 1.0f);  // (2, 0)
    colorBuffer[3] = Color(0.0f, 0.0f, 1.0f, 1.0f);  // (0, 1)
    glwindow::beginFrame(3, 2);
    presentColorBuffer(colorBuffer, 3, 2);
    const std::vector<std::uint8_t> pixels = glwindow::readRgba(0, 0, 3, 2);
    const std::vector<std::uint8_t> expected = {255, 0,   0,   255, 255, 255, 255, 255,
                                                0,   255, 0,   255, 0,   0,   255, 255,
                                                255, 255, 255, 255, 255, 255, 255, 255};
    EXPECT_EQ(pixels, expected);
}

TEST(Presentation, ZeroSizedFrameTouchesNothing) {
    prepareFrameBuffers(viewerBuffers, 8, 8);
    glwindow::beginFrame(8, 8);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    const std::vector<std::uint8_t> before = glwindow::readRgba(0, 0, 8, 8);
    for (const auto& size : {std::make_pair(0, 8), std::make_pair(8, 0), std::make_pair(0, 0)}) {
        prepareFrameBuffers(viewerBuffers, size.first, size.second);
        presentColorBuffer(colorBuffer, size.first, size.second);
        GLfloat current[4];
        glGetFloatv(GL_CURRENT_COLOR, current);
        EXPECT_EQ(current[0], 0.1f);
        EXPECT_EQ(current[1], 0.2f);
        EXPECT_EQ(current[2], 0.3f);
        EXPECT_EQ(current[3], 0.4f);
    }
    EXPECT_EQ(glwindow::readRgba(0, 0, 8, 8), before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The upload is placed in window coordinates, so it lands in the same place
// whatever the matrices hold, even where a raster position given through them
// would be clipped and draw nothing.
TEST(Presentation, DoesNotDependOnTheMatrices) {
    fillBuffer(33, 21, 7);
    const Presented expected = presentOneWay(33, 21, presentAsPoints);
    const Presented actual = presentOneWay(33, 21, [](int width, int height) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(-3.0f, 0.0f, 0.0f);
        presentColorBuffer(colorBuffer, width, height);
        glLoadIdentity();
    });
    EXPECT_EQ(actual.pixels, expected.pixels);
}

// Whatever pixel-store, transfer and raster-position state the caller has,
// the picture is the same and that state is as it was afterwards.
TEST(Presentation, IgnoresAndRestoresPixelAndRasterState) {
    glwindow::beginFrame(64, 48);
    glRasterPos2f(5.0f, 7.0f);
    GLfloat rasterBefore[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, rasterBefore);

    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 70);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 3);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 2);
    glPixelTransferf(GL_RED_SCALE, 0.5f);
    glPixelTransferf(GL_GREEN_BIAS, 0.25f);
    glPixelZoom(2.0f, -1.0f);

    fillBuffer(61, 47, 99);
    const Presented expected = presentOneWay(61, 47, presentAsPoints);
    const Presented actual = presentOneWay(61, 47, presentViewerColors);
    EXPECT_EQ(actual.pixels, expected.pixels);

    GLint value = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 8);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &value);
    EXPECT_EQ(value, 70);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &value);
    EXPECT_EQ(value, 3);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &value);
    EXPECT_EQ(value, 2);
    GLfloat f = 0.0f;
    glGetFloatv(GL_RED_SCALE, &f);
    EXPECT_EQ(f, 0.5f);
    glGetFloatv(GL_GREEN_BIAS, &f);
    EXPECT_EQ(f, 0.25f);
    glGetFloatv(GL_ALPHA_SCALE, &f);
    EXPECT_EQ(f, 1.0f);
    glGetFloatv(GL_ALPHA_BIAS, &f);
    EXPECT_EQ(f, 0.0f);
    glGetFloatv(GL_ZOOM_X, &f);
    EXPECT_EQ(f, 2.0f);
    glGetFloatv(GL_ZOOM_Y, &f);
    EXPECT_EQ(f, -1.0f);

    GLfloat rasterAfter[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, rasterAfter);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rasterAfter[i], rasterBefore[i]) << i;

    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelZoom(1.0f, 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
