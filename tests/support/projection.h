#pragma once

#include "scene/scene.h"

// Where a world point lands in a width x height window under the scene's
// current view and projection: window x from the left, y from the bottom, in
// pixels. Computed in double; false when the point is behind the eye.
struct WindowPoint {
    double x = 0.0;
    double y = 0.0;
};
bool projectToWindow(const Scene& scene, double wx, double wy, double wz, int width, int height,
                     WindowPoint* out);

// A point inside object k's sphere octant of the default scene: its centre
// plus half a unit along (1, 1, 1) / sqrt(3), on the patch's surface.
void defaultPatchPoint(int object, double* wx, double* wy, double* wz);

// 0 red, 1 green, 2 blue when that channel leads both others by `margin`;
// -1 otherwise.
int dominantChannel(const unsigned char rgb[3], int margin = 40);
