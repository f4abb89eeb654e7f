#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gl/surface/gl_platform.h"

class BrokenPipesIgnored;
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
    // the server's answers are timed meanwhile; through EGL the whole stretch
    // is timed, by a bound that grows with the frame.
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
    double waitSeconds_ = 0.0;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<EglPbuffer> egl_;
    int window_ = 0;
    // From the start of GLUT on X to close: a server that goes away while a
    // request is written reaches the lost-connection line, not a silent end
    // by SIGPIPE. No output is written meanwhile; after close, a SIGPIPE is
    // the outputs' again (a reader that went away).
    std::unique_ptr<BrokenPipesIgnored> brokenPipes_;
    GlImplementation implementation_;
};
