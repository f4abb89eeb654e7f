#pragma once

#include <vector>

#include "raster/scan_edge.h"
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

// The readable path: one face at a time through scanConvertPolygon, one
// pixel at a time through shadePixel. The oracle for the fast path.
void renderSoftwarePlain(Scene& scene, int width, int height);

// What renderSoftwarePlain hands each face's edge list to (scanConvertPolygon
// in the real pipeline): the list, width, height, the scene and the face's
// object. It is called once per face, also with an empty list.
using FaceFiller = void (*)(std::vector<ScanEdge>& edges, int width, int height, const Scene& scene,
                            const SceneObject& object);

// renderSoftwarePlain with the per-face fill replaced, so the edge lists the
// vertex stage builds can be looked at.
void renderSoftwareThrough(Scene& scene, int width, int height, FaceFiller fill);
