// The fast counterpart of scanConvertPolygon (scan_convert.h): every face's
// spans collected into per-row bins, to be filled afterwards row by row.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/fast/active_edges_fast.h"
#include "raster/fast/vertex_stage_fast.h"
#include "raster/plain/span.h"
#include "scene/scene.h"

// A span with the index of its face's object in Scene::objects.
struct BinnedSpan {
    Span span;
    int object = 0;
};

// Every non-empty span of a frame grouped by row; within a row the spans
// stand in the order the faces are drawn. Row y's spans are
// spans[rowStart[y]] .. spans[rowStart[y + 1] - 1]. The storage is kept from
// frame to frame.
struct SpanBins {
    std::vector<BinnedSpan> spans;
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
        BinnedSpan binned;
    };
    SharedVertexStage vertexStage_;
    std::vector<ScanEdge> edges_;
    ActiveEdgeScratch active_;
    std::vector<RowSpan> emitted_;  // in face order, then row order
    std::vector<std::uint32_t> cursor_;
};
