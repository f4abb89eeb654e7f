#pragma once

#include "scene/scene.h"

// Grey ambient, two grey lights and three sphere octants (red, blue, green)
// at three corners of the unit square around the origin.
void buildDefaultScene(Scene& scene);
