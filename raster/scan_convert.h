#pragma once

#include <vector>

#include "raster/frame_context.h"
#include "raster/scan_edge.h"

// Fills one face, given as its edge list, into colorBuffer and depthBuffer
// row by row with a strict depth test and per-pixel lighting. Leaves the edge
// list empty with its storage released.
void scanConvertPolygon(std::vector<ScanEdge>& edges, const FaceContext& face);
