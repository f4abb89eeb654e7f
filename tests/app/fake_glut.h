#pragma once

#include <string>
#include <vector>

// A recording stand-in for the few GLUT and OpenGL calls the callbacks make,
// and for the camera and renderer they hand each frame to. Every call is
// appended to `calls` as readable text, e.g. "glViewport(0,0,640,360)".
namespace fake {
extern std::vector<std::string> calls;
// What glGetIntegerv(GL_VIEWPORT) reports.
extern int viewport[4];
// The idle callback GLUT would now call, as last registered.
extern void (*idleCallback)();

void reset();
int count(const std::string& call);
}  // namespace fake
