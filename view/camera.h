#pragma once

#include "scene/scene.h"

// Rebuilds the scene's projection and view transforms from the view state and
// the frame size, and inverts each into its stored inverse.
void setupCamera(Scene& scene, int width, int height);
