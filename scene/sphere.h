#pragma once

#include "scene/scene.h"

// Adds one object: the eighth of a sphere around the model transform's origin
// where x, y and z are all at least 0, as subdivisions x subdivisions faces of
// four corners each, every corner carrying its unit normal. A fractional
// count is rounded up (the last strip and step overshoot the quarter turn);
// a count that is not positive, NaN or infinite gives an object without faces.
void addSphere(Scene& scene, double radius, double subdivisions);
