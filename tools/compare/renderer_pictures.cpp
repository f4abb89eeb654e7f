#include "tools/compare/renderer_pictures.h"

#include <utility>

#include "inspect/buffer_pictures.h"
#include "raster/buffers/frame_buffers.h"

void softwarePicture(int width, int height, RendererPicture* picture) {
    softwarePicture(colorBuffer, depthBuffer, width, height, picture);
}

void referencePicture(OpenGLReadback& readback, int width, int height, RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb = std::move(readback.rgbTopDown);
    windowDepthTopDown(readback.depth.data(), width, height, DepthKind::WindowDepth,
                       &picture->windowDepth);
}
