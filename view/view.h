#pragma once

// One view of the scene: the turn, tilt, zoom and pan that input changes and
// the camera set-up reads. The defaults are the view the viewer starts with.
struct View {
    float angleZ = -135.0f;  // degrees about the scene's Z axis
    float angleX = -60.0f;   // degrees about the X axis
    float zoom = 0.25f;      // wheel position; 0.25 scene units per step
    float panX = 0.0f;       // pixels of right-button drag
    float panY = 0.0f;
};
