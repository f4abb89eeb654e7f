#pragma once

#include "view/view.h"

// The viewer's interactive view, changed by the input callbacks and read by
// its camera set-up and renderer dispatch. Everything else passes a View.
extern float angleZ;  // degrees about the scene's Z axis
extern float angleX;  // degrees about the X axis
extern float zoom;    // wheel position; 0.25 scene units per step
extern float panX;    // pixels of right-button drag
extern float panY;
extern int mouseX;
extern int mouseY;
extern bool leftButtonDown;
extern bool middleButtonDown;
extern bool rightButtonDown;
extern bool useOpenGL;  // true: OpenGL reference renderer; false: software

// Puts every field back to its start-up value.
void resetViewState();

// Puts every field back to its start-up value, then sets the view fields
// from view.
void applyView(const View& view);
