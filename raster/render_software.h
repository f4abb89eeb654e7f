#pragma once

#include "scene/scene.h"

// Draws every face of every object into colorBuffer and depthBuffer, which
// must already be sized for width x height and cleared. This is the fast
// path: geometry as in renderSoftwarePlain, spans collected per row, and the
// pixels lit several rows at a time on SIMD lanes. The buffers come out
// identical, bit for bit, to renderSoftwarePlain's.
void renderSoftware(Scene& scene, int width, int height);

// A rectangle of pixels: columns firstColumn..lastColumn and rows
// firstRow..lastRow, both ends included; empty when a first exceeds its last.
struct PixelRect {
    int firstColumn = 0;
    int firstRow = 0;
    int lastColumn = -1;
    int lastRow = -1;
    bool empty() const { return firstColumn > lastColumn || firstRow > lastRow; }
};

// The same, with the rows shared between `threads` threads (1: no extra
// thread); the picture is the same for every thread count. Returns a
// rectangle outside which no pixel was written.
PixelRect renderSoftware(Scene& scene, int width, int height, int threads);

// The readable path: one face at a time through the vertex stage and
// scanConvertPolygon, one pixel at a time through shadePixel. The oracle for
// the fast path.
void renderSoftwarePlain(Scene& scene, int width, int height);
