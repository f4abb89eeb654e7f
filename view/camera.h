#pragma once

#include "scene/scene.h"
#include "view/view.h"

// Rebuilds the scene's projection and view transforms from the view and the
// frame size, and inverts each into its stored inverse.
void setupCamera(Scene& scene, const View& view, int width, int height);

// The default scene with its camera set up for `view` in a width x height
// frame: what the tools, the page and the benchmark draw.
Scene defaultSceneSeenFrom(const View& view, int width, int height);

// The same from the viewer's view state.
void setupCamera(Scene& scene, int width, int height);
