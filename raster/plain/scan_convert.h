#pragma once

#include <vector>

#include "raster/plain/draw_context.h"
#include "raster/plain/scan_edge.h"

// Fills one face, given as its edge list, into the frame's buffers:
// walks its rows from bottom to top with an active edge list
// (forEachSpanPair) and fills the span between each pair of edges
// (fillSpan). Leaves the edge list empty with its storage released.
void scanConvertPolygon(std::vector<ScanEdge>& edges, const FaceContext& face);
