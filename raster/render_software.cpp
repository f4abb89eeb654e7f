// TEMPORARY placeholder body so the tree links while the rasteriser is written.
#include "raster/render_software.h"
void renderSoftware(Scene&, int, int) {}
