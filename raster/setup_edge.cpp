// TEMPORARY placeholder body so the tree links while the rasteriser is written.
#include "raster/scan_edge.h"
ScanEdge setupEdge(const Vertex&, const Vertex&) { return ScanEdge(); }
