#pragma once

#include <vector>

#include "raster/scan_edge.h"
#include "scene/scene.h"

// Fills one face, given as its edge list, into colorBuffer and depthBuffer
// row by row with a strict depth test and per-pixel lighting. Leaves the edge
// list empty with its storage released.
void scanConvertPolygon(std::vector<ScanEdge>& edges, int width, int height, const Scene& scene,
                        const SceneObject& object);
