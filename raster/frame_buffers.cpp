#include "raster/frame_buffers.h"

#include <cstdint>
#include <new>

#include "raster/fill_ones.h"

// The placeholders are allocated during static initialisation so the first
// frame always has something to free.
float* depthBuffer = new float[5];
Color* colorBuffer = new Color[5];
int cachedWidth = -1;
int cachedHeight = -1;

static_assert(sizeof(Color) == 4 * sizeof(float), "a Color is four floats and nothing else");

namespace {
constexpr std::size_t kSlack = 1000;

std::size_t pixelCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}
}  // namespace

std::size_t frameBufferElements(int width, int height) {
    return pixelCount(width, height) + kSlack;
}

bool prepareFrameBuffers(int width, int height) {
    if (height != cachedHeight || width != cachedWidth) {
        delete[] depthBuffer;
        delete[] colorBuffer;
        const std::size_t n = frameBufferElements(width, height);
        depthBuffer = new (std::nothrow) float[n];
        colorBuffer = depthBuffer ? new (std::nothrow) Color[n] : nullptr;
        if (!colorBuffer) {
            // No half-made pair: the next call tries again at whatever size.
            delete[] depthBuffer;
            depthBuffer = nullptr;
            cachedWidth = -1;
            cachedHeight = -1;
            return false;
        }
    }
    cachedWidth = width;
    cachedHeight = height;

    // Depth 1.0 and opaque white (1, 1, 1, 1) are all ones.
    const std::size_t pixels = pixelCount(width, height);
    fillOnes(depthBuffer, pixels);
    fillOnes(&colorBuffer[0].r, 4 * pixels);
    return true;
}
