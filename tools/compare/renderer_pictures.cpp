#include "tools/compare/renderer_pictures.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "tools/common/image_files.h"

namespace {

// Copies the rows of a bottom-up depth array into *result top row first,
// each value mapped by toWindow.
template <typename ToWindow>
void windowDepthTopDown(const float* depths, int width, int height, ToWindow toWindow,
                        std::vector<double>* result) {
    const std::size_t w = static_cast<std::size_t>(width);
    result->resize(w * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const float* source = depths + static_cast<std::size_t>(height - 1 - row) * w;
        for (std::size_t x = 0; x < w; ++x) (*result)[row * w + x] = toWindow(source[x]);
    }
}

}  // namespace

void softwarePicture(PixelBuffers buffers, int width, int height, RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    colorBufferToRgbTopDown(buffers.color, width, height, picture->rgb.data());
    windowDepthTopDown(
        buffers.depth, width, height, [](float z) { return 0.5 * static_cast<double>(z) + 0.5; },
        &picture->windowDepth);
}

void referencePicture(OpenGLReadback& readback, int width, int height, RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb = std::move(readback.rgbTopDown);
    windowDepthTopDown(
        readback.depth.data(), width, height, [](float z) { return static_cast<double>(z); },
        &picture->windowDepth);
}
