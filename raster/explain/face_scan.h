#pragma once

#include <optional>
#include <vector>

#include "math/vec.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "scene/scene.h"

// One face's scan conversion as the plain path does it, row by row: the
// face's corners on the screen, its edge table, and on each row the active
// edges, the spans between their pairs and each column's depth test against
// the depth buffer as the frame stands when the face is drawn.

// One outline side as edge set-up left it, before the walk moves it.
struct FaceScanEdge {
    int firstRow = 0;  // the rows it covers: truncated yStart ..
    int lastRow = 0;   // .. truncated yEnd - 1
    float yStart = 0.0f;
    float yEnd = 0.0f;
    float x = 0.0f;  // x on its first row, as the walk starts it
    float z = 0.0f;
    Vec3 normal;
    float dxdy = 0.0f;  // change per row
    float dzdy = 0.0f;
    Vec3 dNormal;
};

// One column's depth test.
struct FaceScanFragment {
    int column = 0;
    float depth = 0.0f;        // the span's depth at the column
    float depthBefore = 0.0f;  // what the depth buffer held there
    bool passed = false;       // depth < depthBefore: depth and colour stored
};

// The span between a pair of x-sorted active edges.
struct FaceScanSpan {
    int leftEdge = 0;  // indices into the edge table
    int rightEdge = 0;
    float left = 0.0f;  // the edges' x on the row
    float right = 0.0f;
    int firstColumn = 0;  // the columns it fills, firstColumn .. endColumn - 1
    int endColumn = 0;
    std::vector<FaceScanFragment> fragments;  // one per column, in order
};

struct FaceScanRow {
    int y = 0;
    std::vector<int> active;     // edge table indices, sorted by x on this row
    std::vector<float> activeX;  // their x on this row
    std::vector<int> entering;   // edges whose first row this is
    std::vector<int> leaving;    // edges retired on this row (their last row was y - 1)
    std::vector<FaceScanSpan> spans;
};

struct FaceScan {
    int object = 0;
    int face = 0;
    std::vector<Vec3> corners;  // on the screen (x, y, depth), outline order after any clipping
    std::vector<FaceScanEdge> edges;
    std::vector<FaceScanRow> rows;  // every row the walk visits, bottom to top
};

// Draws the scene (camera set up) with the plain path under `rules` up to
// and including the face, into `buffers` (sized for width x height), and
// tells that face's scan conversion. Empty when the scene has no such face.
std::optional<FaceScan> scanFace(Scene& scene, PixelBuffers buffers, int width, int height,
                                 const ReferenceRules& rules, int object, int face);
