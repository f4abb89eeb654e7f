#pragma once

#include <string>

#include "guard/x_wait_bound.h"

// GLUT on the X display named by DISPLAY, for programs that draw off the
// viewer's main loop (the snapshot tool, the benchmark).

// Initialises GLUT once. False, with a one-line reason, when no X display
// can be opened; GLUT itself would end the process instead. From then on
// every failure of the connection, of the X protocol or of GLUT itself ends
// the process with one line on standard error, "<programName>: ...", and
// status 1; and each wait on the server made through these functions is
// bounded by waitSeconds (see XWaitBound).
bool initGlutOnDisplay(const char* programName, std::string* error,
                       double waitSeconds = kXWaitSeconds);

// The program, display and bound initGlutOnDisplay was given, for bounding
// further waits: XWaitBound bound(glutProgram(), glutDisplay(), what,
// glutWaitSeconds()).
const std::string& glutProgram();
const std::string& glutDisplay();
double glutWaitSeconds();

// Opens an RGBA, double-buffered window with a depth buffer, like the
// viewer's, of exactly width x height, and waits (a few seconds at most)
// until the window system has shown it. Returns the GLUT window id, which is
// then current, or 0 with a reason.
// *noOpenGL (where given) is set when GLUT could make no OpenGL context at
// all (a broken driver): GLUT is then left in the middle, and nothing of it
// may be called again.
int openFrameWindow(int width, int height, const char* title, std::string* error,
                    bool* noOpenGL = nullptr);

// Destroys the window and closes GLUT's connection to the server, waiting
// until the server has taken both: afterwards nothing talks to the server
// any more, so nothing that happens to it can change how the program ends.
void closeGlutDisplay(int window);
