#pragma once

#include <string>

// The bits of depth of the reference's off-screen surface: those of the
// GLX visual GLUT gives the viewer's window (GLUT_DEPTH) on Mesa, so that
// both store the same window depths.
constexpr int kReferenceDepthBits = 32;

// An off-screen OpenGL context through EGL on Mesa's surfaceless platform,
// needing neither an X server nor a GPU device: a pbuffer of the frame's
// size in a config chosen exactly like the viewer's window (8-bit red,
// green and blue, no alpha, kReferenceDepthBits of depth, no multisampling)
// and a desktop OpenGL compatibility-profile context that draws into it as
// into a window's back buffer.
class EglPbuffer {
  public:
    EglPbuffer() = default;
    ~EglPbuffer();
    EglPbuffer(const EglPbuffer&) = delete;
    EglPbuffer& operator=(const EglPbuffer&) = delete;

    // Makes the surface and the context, which is then current; EGL's start
    // is bounded by waitSeconds (see TimeBound). False, with the cause in
    // one line, when it cannot; *found tells whether EGL's surfaceless
    // platform could be had at all.
    bool open(const std::string& program, double waitSeconds, int width, int height,
              std::string* error, bool* found);

    // Releases the context and EGL; also on destruction.
    void close();

  private:
    // The steps of open; "" when all went well, else the cause.
    std::string start(int width, int height, bool* found);

    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    std::string program_;
    double waitSeconds_ = 0.0;
};
