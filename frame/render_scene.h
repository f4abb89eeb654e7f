#pragma once

#include "scene/scene.h"

// The one entry point of rendering: sizes and clears the software buffers,
// then draws through OpenGL or through the software rasteriser according to
// useOpenGL.
void renderScene(Scene& scene, int width, int height);
