#pragma once

#include "scene/scene.h"

// Adds one object: the eighth of a sphere around the model transform's origin
// where x, y and z are all at least 0, as subdivisions x subdivisions faces of
// four corners each, every corner carrying its unit normal.
void addSphere(Scene& scene, double radius, double subdivisions);
