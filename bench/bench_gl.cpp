#include "bench/bench_gl.h"

#include <GL/freeglut.h>

#include "gl/bitmap_text.h"
#include "gl/surface/egl_pbuffer.h"
#include "gl/surface/gl_window.h"
#include "guard/render_threads.h"
#include "guard/x_wait_bound.h"

namespace {

constexpr const char* kProgram = "rasterwork-bench";

std::string glString(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

BenchGl::BenchGl() = default;
BenchGl::~BenchGl() = default;

bool BenchGl::open(GlPlatform platform, const std::vector<std::pair<int, int>>& sizes,
                   std::string* problem) {
    if (sizes.empty()) return false;
    const auto [width, height] = sizes.front();
    if (platform == GlPlatform::X11) return openX11(sizes, problem);
    std::string eglProblem;
    if (openEgl(width, height, &eglProblem)) return true;
    if (platform == GlPlatform::Egl) {
        *problem = "through EGL, " + eglProblem;
        return false;
    }
    std::string xProblem;
    if (openX11(sizes, &xProblem)) return true;
    *problem = "through EGL, " + eglProblem + "; through X, " + xProblem;
    return false;
}

bool BenchGl::openEgl(int width, int height, std::string* problem) {
    // As the tools' reference surface: the frame's overlay line is drawn with
    // GLUT's glyphs, which GLUT without an X display cannot give.
    fitRenderThreadsToWhatCanStart();
    if (!glutGlyphsReachable(problem)) return false;
    auto surface = std::make_unique<EglPbuffer>();
    bool found = false;
    if (!surface->open(kProgram, kXWaitSeconds, width, height, problem, &found)) return false;
    implementation_ = {glString(GL_VENDOR), glString(GL_RENDERER), glString(GL_VERSION), "egl"};
    egl_ = std::move(surface);
    eglWidth_ = width;
    eglHeight_ = height;
    return true;
}

bool BenchGl::openX11(const std::vector<std::pair<int, int>>& sizes, std::string* problem) {
    if (!initGlutOnDisplay(kProgram, problem)) return false;
    // Every size's window stays open: GLUT cannot start again once closed.
    for (auto it = sizes.rbegin(); it != sizes.rend(); ++it) {
        const int id = openFrameWindow(it->first, it->second, "Rasterwork benchmark", problem);
        if (id == 0) return false;
        windows_.push_back(Window{it->first, it->second, id});
    }
    glutSetWindow(windows_.back().id);  // the first size's
    implementation_ = {glString(GL_VENDOR), glString(GL_RENDERER), glString(GL_VERSION), "x11"};
    return true;
}

bool BenchGl::use(int width, int height, std::string* problem) {
    if (egl_) {
        if (width == eglWidth_ && height == eglHeight_) return true;
        eglWidth_ = eglHeight_ = 0;
        bool found = false;
        if (!egl_->open(kProgram, kXWaitSeconds, width, height, problem, &found)) {
            *problem = "through EGL, " + *problem;
            return false;
        }
        eglWidth_ = width;
        eglHeight_ = height;
        return true;
    }
    for (const Window& window : windows_) {
        if (window.width != width || window.height != height) continue;
        glutSetWindow(window.id);
        return true;
    }
    *problem = "no window of " + std::to_string(width) + " x " + std::to_string(height);
    return false;
}
