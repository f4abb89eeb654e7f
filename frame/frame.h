#pragma once

#include "scene/scene.h"

// One frame without the swap: clears the window to white (and, for the
// OpenGL picture, its depth buffer), sets a projection of one unit per pixel
// with the origin at the lower-left corner and an identity model-view, then
// sets up the camera and renders the scene.
void drawFrame(Scene& scene, int width, int height);
