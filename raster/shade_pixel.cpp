// TEMPORARY placeholder body so the tree links while the rasteriser is written.
#include "raster/shade_pixel.h"
void shadePixel(Color&, const Scene&, Vec3&, float, float, float, int, int, const SceneObject&) {}
