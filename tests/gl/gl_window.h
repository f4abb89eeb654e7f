#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One GLUT window on a private Xvfb for in-process OpenGL tests. Created once
// by the test program's main before any test runs.
namespace glwindow {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Starts Xvfb, points DISPLAY at it, initialises GLUT and creates a window of
// kWidth x kHeight with RGBA + alpha, double buffering and depth. Returns an
// error text, empty on success.
std::string open(int* argc, char** argv);

// Makes a width x height viewport in the lower-left corner of the window and
// sets the state the viewer's display callback leaves before rendering:
// white clear, orthographic projection of one unit per pixel, identity
// model-view, depth test and lighting off.
void beginFrame(int width, int height);

// Reads RGBA bytes of the back buffer, row 0 at the bottom.
std::vector<std::uint8_t> readRgba(int x, int y, int width, int height);

// Discards every pending OpenGL error.
void drainErrors();

}  // namespace glwindow
