#pragma once

#include "examine/renderer_comparison.h"
#include "raster/buffers/frame_buffers.h"
#include "tools/pictures/snapshot_opengl.h"

// The software frame in `buffers` as the window would show it, into the
// picture's storage. Its depth buffer holds normalised-device z
// (-1 near to 1 far); the default depth range maps that to window depth 0..1,
// exactly so in double.
void softwarePicture(PixelBuffers buffers, int width, int height, RendererPicture* picture);

// The reference frame as read back (kRgb and kDepth) into the picture's
// storage; takes the read-back colours.
void referencePicture(OpenGLReadback& readback, int width, int height, RendererPicture* picture);
