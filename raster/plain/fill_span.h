#pragma once

#include "raster/plain/draw_context.h"
#include "raster/plain/scan_edge.h"

// Fills the span between a pair of x-sorted active edges on row y, column by
// column: the depth test, then shadePixel for each pixel that passes, into
// depthBuffer and colorBuffer.
void fillSpan(const ScanEdge& left, const ScanEdge& right, int y, const FaceContext& face);
