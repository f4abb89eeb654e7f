#include "gl/present.h"

// glWindowPos2i is OpenGL 1.4; Mesa declares it in glext.h only on request.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "raster/buffers/window_bytes.h"

namespace {

// The rectangle's pixels as packed BGRA bytes, bottom row first.
void convertRect(const Color* colors, int width, const PixelBounds& rect,
                 std::vector<std::uint8_t>& bytes) {
    const std::size_t columns = static_cast<std::size_t>(rect.lastColumn - rect.firstColumn + 1);
    const std::size_t rows = static_cast<std::size_t>(rect.lastRow - rect.firstRow + 1);
    bytes.resize(columns * rows * 4);
    std::uint8_t* out = bytes.data();
    for (int y = rect.firstRow; y <= rect.lastRow; ++y, out += 4 * columns) {
        const Color* in = colors + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                          static_cast<std::size_t>(rect.firstColumn);
        rw::convertToBgra(in, columns, out);
    }
}

void drawBgra(const WindowPicture& picture) {
    const PixelBounds& rect = picture.drawn;
    // Raster position and pixel transfer state are ours only for this call.
    glPushAttrib(GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);

    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, picture.rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_SCALE, 1.0f);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);
    glPixelTransferf(GL_ALPHA_SCALE, 1.0f);
    glPixelTransferf(GL_RED_BIAS, 0.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelTransferf(GL_BLUE_BIAS, 0.0f);
    glPixelTransferf(GL_ALPHA_BIAS, 0.0f);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelZoom(1.0f, 1.0f);

    // A glRasterPos at the clip boundary may be invalid and draw nothing;
    // glWindowPos is always valid.
    glWindowPos2i(rect.firstColumn, rect.firstRow);
    glDrawPixels(rect.lastColumn - rect.firstColumn + 1, rect.lastRow - rect.firstRow + 1, GL_BGRA,
                 GL_UNSIGNED_BYTE, picture.bgra);

    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

void leaveLastPixelColor(const Color* colors, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const std::size_t last =
        static_cast<std::size_t>(height - 1) * static_cast<std::size_t>(width) +
        static_cast<std::size_t>(width - 1);
    const Color& c = colors[last];
    glColor3f(c.r, c.g, c.b);
}

void presentWindowPicture(int width, int height, const WindowPicture& picture) {
    if (width <= 0 || height <= 0) return;
    if (!picture.drawn.empty()) drawBgra(picture);
}

void presentColorBufferRect(const Color* colors, int width, int height, const PixelBounds& drawn) {
    PixelBounds rect = drawn;
    rect.firstColumn = std::max(rect.firstColumn, 0);
    rect.firstRow = std::max(rect.firstRow, 0);
    rect.lastColumn = std::min(rect.lastColumn, width - 1);
    rect.lastRow = std::min(rect.lastRow, height - 1);
    static std::vector<std::uint8_t> bytes;  // kept from frame to frame
    if (!rect.empty()) convertRect(colors, width, rect, bytes);
    presentWindowPicture(width, height, WindowPicture{rect, bytes.data()});
    leaveLastPixelColor(colors, width, height);
}

void presentColorBuffer(const Color* colors, int width, int height) {
    presentColorBufferRect(colors, width, height, PixelBounds{0, 0, width - 1, height - 1});
}

namespace {

// Fence syncs: OpenGL 3.2 or GL_ARB_sync.
bool haveFences() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    if (version && std::sscanf(version, "%d.%d", &major, &minor) == 2 &&
        (major > 3 || (major == 3 && minor >= 2)))
        return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_sync") != nullptr;
}

constexpr GLuint64 kFenceWaitNanoseconds = 1000000000;

// Frames of more pixels than this hand over one band at a time. A queued
// band may leave its batch holding the window's buffers until the library
// reuses the batch, which a later, smaller frame may never do: two batches
// of a window this large hold up to 64 MB, of a huge one gigabytes.
constexpr long long kQueuedFramePixels = 1LL << 22;

void waitAndDelete(void*& fence) {
    if (!fence) return;
    GLsync sync = static_cast<GLsync>(fence);
    glClientWaitSync(sync, GL_SYNC_FLUSH_COMMANDS_BIT, kFenceWaitNanoseconds);
    glDeleteSync(sync);
    fence = nullptr;
}

}  // namespace

PictureHandOver::PictureHandOver(int width, int height)
    : width_(width),
      height_(height),
      fences_(static_cast<long long>(width) * height <= kQueuedFramePixels && haveFences()) {}

PictureHandOver::~PictureHandOver() {
    for (void* fence : drawn_) {
        if (fence) glDeleteSync(static_cast<GLsync>(fence));
    }
}

void PictureHandOver::band(const WindowPicture& band) {
    if (fences_) {
        waitAndDelete(drawn_[0]);
    } else {
        glFinish();
    }
    presentWindowPicture(width_, height_, band);
    if (fences_) {
        drawn_[0] = drawn_[1];
        drawn_[1] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    }
    glFlush();
}
