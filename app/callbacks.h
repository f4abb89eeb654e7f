#pragma once

#include "scene/scene.h"

// The one scene the viewer draws; constructed during static initialisation,
// filled by main and destroyed at exit.
extern Scene viewerScene;

// GLUT callbacks of the viewer. Input callbacks never draw: they change the
// view state and request a redraw, which the one-shot idle callback turns
// into exactly one frame.

// Draws one frame at the size of the current viewport.
void display();
// Draws one frame, then unregisters itself until the next redraw request.
void idle();
// Follows the window size; a zero width or height is ignored.
void reshape(int width, int height);
// 'g' switches renderer; 'q' and Escape end the process with status 0.
void keyboard(unsigned char key, int x, int y);
// Button flags, wheel zoom (buttons 3 and 4) and the pointer position.
void mouse(int button, int state, int x, int y);
// Left drag turns, right drag pans.
void motion(int x, int y);
// Registers idle as GLUT's idle callback.
void requestRedraw();
