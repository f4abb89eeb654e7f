#pragma once

#include "scene/scene.h"

// Draws every face of every object into colorBuffer and depthBuffer, which
// must already be sized for width x height and cleared.
void renderSoftware(Scene& scene, int width, int height);
