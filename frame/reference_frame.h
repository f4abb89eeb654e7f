#pragma once

#include "scene/scene.h"

// One viewer frame into the current window's back buffer, without the buffer
// swap: viewport of the frame size, clear to white, the pixel projection,
// setupCamera and renderScene (which follows useOpenGL).
void drawReferenceFrame(Scene& scene, int width, int height);
