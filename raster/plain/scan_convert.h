#pragma once

#include <climits>
#include <vector>

#include "raster/plain/draw_context.h"
#include "raster/plain/scan_edge.h"

// Fills one face, given as its edge list, into the frame's buffers:
// walks its rows from bottom to top with an active edge list
// (forEachSpanPair) and fills the span between each pair of edges
// (fillSpan). Leaves the edge list empty with its storage released. Rows
// above `lastRow` are walked but not filled (a frame stopped within the face).
void scanConvertPolygon(std::vector<ScanEdge>& edges, const FaceContext& face,
                        int lastRow = INT_MAX);
