#pragma once

#include <climits>
#include <vector>

#include "raster/plain/draw_context.h"
#include "raster/plain/scan_edge.h"

// The window rows a frame fills, first..last (both included): by default
// every row.
struct FilledRows {
    int first = INT_MIN;
    int last = INT_MAX;
    bool holds(int y) const { return first <= y && y <= last; }
};

// Fills one face, given as its edge list, into the frame's buffers:
// walks its rows from bottom to top with an active edge list
// (forEachSpanPair) and fills the span between each pair of edges
// (fillSpan). Leaves the edge list empty with its storage released. Rows
// below `rows` are walked (their edges stepped) but not filled, and the walk
// ends after its last row: a frame stopped within the face, or one that
// fills a single row.
void scanConvertPolygon(std::vector<ScanEdge>& edges, const FaceContext& face,
                        FilledRows rows = FilledRows());
