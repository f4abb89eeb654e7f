#pragma once

#include <cstdint>
#include <vector>

#include "scene/scene.h"

// Which object the reference renderer drew at each pixel. Draws the scene
// again into the current OpenGL window, every object in a flat colour of its
// own with lighting off, through the same matrices, depth test and polygon
// order as the reference frame, and reads the colours back over the
// rectangle of readWidth x readHeight pixels whose lower-left pixel is
// (readX, readY): pixel (readX + i, readY + j) at j * readWidth + i, -1 where
// no object was drawn. Leaves the window's buffers overwritten.
std::vector<std::int32_t> readReferenceObjects(const Scene& scene, int width, int height, int readX,
                                               int readY, int readWidth, int readHeight);
