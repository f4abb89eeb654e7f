// TEMPORARY placeholder body so the tree links while the rasteriser is written.
#include "raster/scan_convert.h"
void scanConvertPolygon(std::vector<ScanEdge>&, int, int, const Scene&, const SceneObject&) {}
