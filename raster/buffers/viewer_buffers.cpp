#include "raster/buffers/viewer_buffers.h"

namespace {

// Allocated during static initialisation, the depth placeholder first; never
// destroyed, so the stores outlive every use at exit.
FrameBuffers& placeholderBuffers() {
    FrameBuffers* buffers = new FrameBuffers;
    buffers->depth = new float[5];
    buffers->color = new Color[5];
    return *buffers;
}

}  // namespace

FrameBuffers& viewerBuffers = placeholderBuffers();
Color*& colorBuffer = viewerBuffers.color;
float*& depthBuffer = viewerBuffers.depth;
int& cachedWidth = viewerBuffers.width;
int& cachedHeight = viewerBuffers.height;
