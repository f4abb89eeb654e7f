#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gl/surface/gl_platform.h"

class EglPbuffer;

// Where the benchmark's OpenGL frames are drawn: off screen through EGL
// (a pbuffer of the frame's size, needing no X server), or in GLUT windows
// on the X display in DISPLAY as in the viewer. One surface per frame size;
// the frames of one size draw into the same one.
class BenchGl {
  public:
    BenchGl();
    ~BenchGl();
    BenchGl(const BenchGl&) = delete;
    BenchGl& operator=(const BenchGl&) = delete;

    // Reaches OpenGL through `platform` (Auto: EGL where it can be had,
    // else X) for frames of the given sizes, the first one's surface
    // current. False, with a one-line reason, when it cannot.
    bool open(GlPlatform platform, const std::vector<std::pair<int, int>>& sizes,
              std::string* problem);

    // The OpenGL found, once open.
    const GlImplementation& implementation() const { return implementation_; }

    // Makes a surface of exactly width x height current (through EGL, a new
    // pbuffer when the size changes). False, with a reason, when it cannot.
    bool use(int width, int height, std::string* problem);

  private:
    bool openEgl(int width, int height, std::string* problem);
    bool openX11(const std::vector<std::pair<int, int>>& sizes, std::string* problem);

    std::unique_ptr<EglPbuffer> egl_;
    int eglWidth_ = 0;
    int eglHeight_ = 0;
    struct Window {
        int width, height, id;
    };
    std::vector<Window> windows_;
    GlImplementation implementation_;
};
