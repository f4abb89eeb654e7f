#pragma once

#include <cstdint>
#include <vector>

#include "math/vec.h"
#include "raster/face_edges.h"
#include "scene/scene.h"

// One run of pixels of one face on one row, as scan conversion hands it to
// the pixel loop: columns [startColumn, endColumn), the depth and normal at
// the start column, their per-column increments, and the face's object.
struct Span {
    int startColumn = 0;
    int endColumn = 0;
    float depth = 0.0f;
    float dzdx = 0.0f;
    Vec3 normal;
    Vec3 dNormal;
    int object = 0;  // index into Scene::objects
};

// Every non-empty span of a frame grouped by row; within a row the spans
// stand in the order the faces are drawn. Row y's spans are
// spans[rowStart[y]] .. spans[rowStart[y + 1] - 1]. The storage is kept from
// frame to frame.
struct SpanBins {
    std::vector<Span> spans;
    std::vector<std::uint32_t> rowStart;  // height + 1 entries

    // Runs the vertex stage and scan conversion's row walk over every face of
    // the scene and collects the spans.
    void collect(const Scene& scene, int width, int height);

    // The smallest rectangle holding every span's pixels; empty (first > last)
    // when there are none.
    int firstRow = 0, lastRow = -1, firstColumn = 0, lastColumn = -1;

  private:
    struct RowSpan {
        int row;
        Span span;
    };
    FaceEdgeBuilder builder_;
    std::vector<ScanEdge> edges_;
    std::vector<ScanEdge> active_;
    std::vector<RowSpan> emitted_;  // in face order, then row order
    std::vector<std::uint32_t> cursor_;
};
