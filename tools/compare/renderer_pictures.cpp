#include "tools/compare/renderer_pictures.h"

#include <utility>

#include "examine/buffer_pictures.h"
#include "raster/buffers/frame_buffers.h"

void softwarePicture(PixelBuffers buffers, int width, int height, RendererPicture* picture) {
    softwarePicture(buffers.color, buffers.depth, width, height, picture);
}

void referencePicture(OpenGLReadback& readback, int width, int height, RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb = std::move(readback.rgbTopDown);
    windowDepthTopDown(readback.depth.data(), width, height, DepthKind::WindowDepth,
                       &picture->windowDepth);
}
