#include "gl/surface/reference_surface.h"

#include <GL/gl.h>

#include <cmath>

#include "gl/bitmap_text.h"
#include "gl/surface/egl_pbuffer.h"
#include "gl/surface/gl_window.h"
#include "guard/broken_pipes.h"
#include "guard/library_failures.h"
#include "guard/render_threads.h"
#include "guard/time_bound.h"
#include "guard/x_wait_bound.h"

namespace {

std::string glString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

GlImplementation currentImplementation(const char* platform) {
    return {glString(GL_VENDOR), glString(GL_RENDERER), glString(GL_VERSION), platform};
}

// How long drawing a width x height frame and reading it back through EGL
// may take before the GL library counts as hung: waitSeconds and a whole
// number of seconds at kSecondsPerPixel, rounded up. The slowest frame
// measured, 16384 x 16384 with every pixel lit, drawn on one thread of a
// loaded 2-core machine, took some 0.18 us a pixel: this allows more than
// twenty times that, so no honest frame is cut off.
double eglDrawSeconds(double waitSeconds, int width, int height) {
    constexpr double kSecondsPerPixel = 4e-6;
    const double pixels = static_cast<double>(width) * static_cast<double>(height);
    return waitSeconds + std::ceil(pixels * kSecondsPerPixel);
}

}  // namespace

ReferenceSurface::ReferenceSurface() = default;

ReferenceSurface::~ReferenceSurface() {
    close();
}

bool ReferenceSurface::open(GlPlatform platform, const char* program, double waitSeconds, int width,
                            int height, std::string* error, bool* platformFound) {
    close();
    program_ = program;
    waitSeconds_ = waitSeconds;
    width_ = width;
    height_ = height;
    *platformFound = false;
    fitRenderThreadsToWhatCanStart();
    if (platform == GlPlatform::Egl) {
        if (openEgl(program, waitSeconds, width, height, error, platformFound)) return true;
        *error = "cannot draw the reference through EGL: " + *error;
        return false;
    }
    if (platform == GlPlatform::X11) {
        return openX11(program, waitSeconds, width, height, error, platformFound);
    }
    std::string eglError;
    bool eglFound = false;
    if (openEgl(program, waitSeconds, width, height, &eglError, &eglFound)) {
        *platformFound = true;
        return true;
    }
    std::string xError;
    if (openX11(program, waitSeconds, width, height, &xError, platformFound)) return true;
    *platformFound = *platformFound || eglFound;
    *error = "no OpenGL for the reference: through EGL, " + eglError + "; through X, " + xError;
    return false;
}

bool ReferenceSurface::openEgl(const char* program, double waitSeconds, int width, int height,
                               std::string* error, bool* found) {
    // The overlay line is drawn with GLUT's glyphs, and GLUT itself cannot
    // start without an X display.
    if (!glutGlyphsReachable(error)) return false;
    auto egl = std::make_unique<EglPbuffer>();
    if (!egl->open(program, waitSeconds, width, height, error, found)) return false;
    egl_ = std::move(egl);
    implementation_ = currentImplementation("egl");
    return true;
}

bool ReferenceSurface::openX11(const char* program, double waitSeconds, int width, int height,
                               std::string* error, bool* found) {
    *found = false;
    brokenPipes_ = std::make_unique<BrokenPipesIgnored>();
    if (!initGlutOnDisplay(program, error, waitSeconds)) return false;
    *found = true;
    bool noOpenGL = false;
    window_ = openFrameWindow(width, height, "Rasterwork snapshot", error, &noOpenGL);
    if (window_ == 0) {
        *found = !noOpenGL;  // a display without OpenGL is no platform for it
        return false;
    }
    implementation_ = currentImplementation("x11");
    return true;
}

void ReferenceSurface::draw(const std::function<void()>& drawAndRead) const {
    if (egl_) {
        const LibraryFailureReport failures(program_, "", "drawing and reading back");
        const TimeBound bound(program_, "drawing and reading back through EGL",
                              eglDrawSeconds(waitSeconds_, width_, height_));
        try {
            drawAndRead();
        } catch (...) {
            failures.endOnEscapedException();
        }
        return;
    }
    const XWaitBound bound(glutProgram(), glutDisplay(), "drawing and reading back",
                           glutWaitSeconds(), XWaitBound::Limit::ServerAnswers);
    drawAndRead();
}

void ReferenceSurface::close() {
    egl_.reset();
    if (window_ != 0) closeGlutDisplay(window_);
    window_ = 0;
    brokenPipes_.reset();
}
