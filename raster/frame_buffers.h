#pragma once

#include <cstddef>

#include "scene/color.h"

// The software renderer's pixel stores: width * height + 1000 elements each,
// pixel (x, y) at y * width + x, row 0 at the bottom. Replaced only when the
// frame size changes; never freed at exit.
extern Color* colorBuffer;
extern float* depthBuffer;
extern int cachedWidth;
extern int cachedHeight;

// Element count of a buffer for a frame (width * height + 1000), computed
// without int overflow; sizes that are not positive count as 0 pixels.
std::size_t frameBufferElements(int width, int height);

// Reallocates both buffers when the size differs from the cached one, records
// the size, then clears every pixel to white and depth 1.0. When memory for
// the new size cannot be had, both buffers are released (null), the cached
// size is forgotten and the result is false; nothing may be drawn into them.
bool prepareFrameBuffers(int width, int height);
