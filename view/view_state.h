#pragma once

// The interactive view, changed by the input callbacks and read by the camera
// set-up and the renderer dispatch.
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
