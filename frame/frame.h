#pragma once

#include "scene/scene.h"

// Clears the window to white (and, when asked, its depth buffer) and sets a
// projection of one unit per pixel with the origin at the lower-left corner
// and an identity model-view, as every frame starts.
void startPixelFrame(int width, int height, bool clearDepth);

// One viewer frame without the swap: startPixelFrame (the depth buffer only
// for the OpenGL picture), then the camera set-up from the view state and
// renderScene.
void drawFrame(Scene& scene, int width, int height);
