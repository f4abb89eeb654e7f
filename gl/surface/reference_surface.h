#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gl/surface/gl_platform.h"

class EglPbuffer;

// The OpenGL context the tools draw the reference frame in, of exactly the
// frame's size: off screen through EGL (see EglPbuffer), or a GLUT window
// on the X display like the viewer's. Either way the frame is drawn into
// and read from the back buffer.
class ReferenceSurface {
  public:
    ReferenceSurface();
    ~ReferenceSurface();
    ReferenceSurface(const ReferenceSurface&) = delete;
    ReferenceSurface& operator=(const ReferenceSurface&) = delete;

    // Opens a width x height surface through `platform` (Auto: EGL where it
    // can be had, else GLX on DISPLAY), whose context is then current.
    // Every wait on EGL's start or on the X server is bounded by
    // waitSeconds (see TimeBound and initGlutOnDisplay). False, with a
    // one-line reason, when it cannot; *platformFound tells whether any
    // platform tried could be had at all (EGL's surfaceless platform, an X
    // display).
    bool open(GlPlatform platform, const char* program, double waitSeconds, int width, int height,
              std::string* error, bool* platformFound);

    // The OpenGL found, once open.
    const GlImplementation& implementation() const { return implementation_; }

    // Runs drawAndRead, which draws a frame and reads it back. Drawing a
    // large picture can take the GL library longer than the bound: on X only
    // the server's answers are timed meanwhile.
    void draw(const std::function<void()>& drawAndRead) const;

    // Done with the platform (on X, with the server; see closeGlutDisplay);
    // also on destruction.
    void close();

  private:
    bool openEgl(const char* program, double waitSeconds, int width, int height, std::string* error,
                 bool* found);
    bool openX11(const char* program, double waitSeconds, int width, int height, std::string* error,
                 bool* found);

    std::string program_;
    std::unique_ptr<EglPbuffer> egl_;
    int window_ = 0;
    GlImplementation implementation_;
};
