#pragma once

#include "scene/scene.h"

// Draws the scene through fixed-function OpenGL, after reporting pending
// OpenGL errors on standard output and drawing the mode overlay line.
void renderOpenGL(Scene& scene, int width, int height);
