// TEMPORARY placeholder body so the tree links while presentation is written.
#include "raster/present.h"
void presentColorBuffer(int, int) {}
