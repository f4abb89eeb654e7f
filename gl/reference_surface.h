#pragma once

#include <functional>
#include <string>

// The OpenGL context the tools draw the reference frame in: a GLUT window
// of exactly the frame's size on the X display, like the viewer's.
class ReferenceSurface {
  public:
    ReferenceSurface() = default;
    ~ReferenceSurface();
    ReferenceSurface(const ReferenceSurface&) = delete;
    ReferenceSurface& operator=(const ReferenceSurface&) = delete;

    // Opens GLUT on the X display in DISPLAY and a width x height window,
    // whose context is then current; from then on every wait on the server
    // is bounded by waitSeconds (see initGlutOnDisplay). False, with a
    // one-line reason, when it cannot; *displayOpened tells whether the
    // display could be opened at all.
    bool open(const char* program, double waitSeconds, int width, int height, std::string* error,
              bool* displayOpened);

    // Runs drawAndRead, which draws a frame and reads it back. Drawing a
    // large picture can take the GL library longer than the bound: only the
    // server's answers are timed meanwhile.
    void draw(const std::function<void()>& drawAndRead) const;

    // Done with the server (see closeGlutDisplay); also on destruction.
    void close();

  private:
    int window_ = 0;
};
