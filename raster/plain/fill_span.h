#pragma once

#include "raster/plain/draw_context.h"
#include "raster/plain/scan_edge.h"

// Fills the span between a pair of x-sorted active edges on row y, column by
// column, into the frame's buffers: the frame's span set-up, then per
// column the depth test and, for each pixel that passes, the frame's pixel
// shading (textbook: setupSpan and shadePixel). Tells the frame's observer,
// if any, about every fragment.
void fillSpan(const ScanEdge& left, const ScanEdge& right, int y, const FaceContext& face);
