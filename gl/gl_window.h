#pragma once

#include <string>

// GLUT on the X display named by DISPLAY, for programs that draw off the
// viewer's main loop (the snapshot tool, the benchmark).

// Initialises GLUT once. False, with a one-line reason, when no X display
// can be opened; GLUT itself would end the process instead. GLUT names the
// program in its own messages.
bool initGlutOnDisplay(const char* programName, std::string* error);

// Opens an RGBA, double-buffered window with a depth buffer, like the
// viewer's, of exactly width x height, and waits (a few seconds at most)
// until the window system has shown it. Returns the GLUT window id, which is
// then current, or 0 with a reason.
int openFrameWindow(int width, int height, const char* title, std::string* error);
