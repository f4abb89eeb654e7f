#include "gl/surface/egl_pbuffer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "guard/library_failures.h"
#include "guard/memory_headroom.h"
#include "guard/resources_left.h"
#include "guard/startup_messages.h"
#include "guard/time_bound.h"

namespace {

// The address space Mesa's software driver takes to start, its LLVM
// included: some 230 MB on Debian 12, rounded up.
constexpr std::size_t kLibraryStartBytes = std::size_t{256} << 20;

// EGL's error codes by name, for messages.
std::string eglErrorName(EGLint code) {
    static const char* const names[] = {
        "EGL_SUCCESS",       "EGL_NOT_INITIALIZED",     "EGL_BAD_ACCESS",
        "EGL_BAD_ALLOC",     "EGL_BAD_ATTRIBUTE",       "EGL_BAD_CONFIG",
        "EGL_BAD_CONTEXT",   "EGL_BAD_CURRENT_SURFACE", "EGL_BAD_DISPLAY",
        "EGL_BAD_MATCH",     "EGL_BAD_NATIVE_PIXMAP",   "EGL_BAD_NATIVE_WINDOW",
        "EGL_BAD_PARAMETER", "EGL_BAD_SURFACE",         "EGL_CONTEXT_LOST"};
    if (code >= EGL_SUCCESS && code <= EGL_CONTEXT_LOST) return names[code - EGL_SUCCESS];
    char text[32];
    std::snprintf(text, sizeof text, "EGL error 0x%x", static_cast<unsigned>(code));
    return text;
}

// "<what> failed (<EGL's error>)"
std::string failed(const std::string& what) {
    return what + " failed (" + eglErrorName(eglGetError()) + ")";
}

// Whether the space-separated list holds `name` as a whole word.
bool listed(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

EGLint attribute(EGLDisplay display, EGLConfig config, EGLint name) {
    EGLint value = -1;
    if (!eglGetConfigAttrib(display, config, name, &value)) return -1;
    return value;
}

// The config the viewer's window has, exactly: eglChooseConfig takes sizes
// as least sizes and lists deeper colour first. Of those that fit, one
// without stencil is taken where there is one.
bool exactConfig(EGLDisplay display, EGLConfig* chosen) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_PBUFFER_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_COLOR_BUFFER_TYPE,
                             EGL_RGB_BUFFER,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_DEPTH_SIZE,
                             kReferenceDepthBits,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, nullptr, 0, &count) || count <= 0) return false;
    std::vector<EGLConfig> configs(static_cast<std::size_t>(count));
    if (!eglChooseConfig(display, wanted, configs.data(), count, &count)) return false;
    bool found = false;
    for (EGLint i = 0; i < count; ++i) {
        const EGLConfig config = configs[static_cast<std::size_t>(i)];
        if (attribute(display, config, EGL_RED_SIZE) != 8 ||
            attribute(display, config, EGL_GREEN_SIZE) != 8 ||
            attribute(display, config, EGL_BLUE_SIZE) != 8 ||
            attribute(display, config, EGL_ALPHA_SIZE) != 0 ||
            attribute(display, config, EGL_DEPTH_SIZE) != kReferenceDepthBits ||
            attribute(display, config, EGL_SAMPLE_BUFFERS) != 0) {
            continue;
        }
        if (!found || attribute(display, config, EGL_STENCIL_SIZE) == 0) *chosen = config;
        found = true;
        if (attribute(display, config, EGL_STENCIL_SIZE) == 0) break;
    }
    return found;
}

}  // namespace

EglPbuffer::~EglPbuffer() {
    close();
}

bool EglPbuffer::open(const std::string& program, double waitSeconds, int width, int height,
                      std::string* error, bool* found) {
    close();
    program_ = program;
    waitSeconds_ = waitSeconds;
    *found = false;
    std::string cause;
    holdStartupMessages();  // what the libraries say as they load goes into the one line
    expectFramesOf(width, height);
    {
        // No X display is involved: a crash is memory running out, or the
        // reason EGL cannot be had.
        const LibraryFailureReport failures(program, "", "starting EGL");
        const TimeBound bound(program, "starting EGL", waitSeconds);
        std::string crash;
        if (!failures.survive([&] { cause = start(width, height, found); }, &crash)) {
            // The library stopped in the middle: nothing of it is called again.
            display_ = surface_ = context_ = nullptr;
            *found = false;  // an EGL that crashes cannot be had
            cause = crash;
        } else if (!cause.empty()) {
            // Checked before the held messages give their descriptor back.
            const std::string shortOf =
                resourceThatRanOut(kLibraryStartBytes + openGLFrameBytes(width, height));
            if (!shortOf.empty()) {
                cause = shortOf + " for the OpenGL library to start EGL";
                *found = true;  // EGL is there: the process is short of what it takes
            }
        }
    }
    const std::string said = releaseStartupMessages();
    if (!cause.empty()) {
        close();
        *error = cause + said;
        return false;
    }
    forgetStartupMessages();
    return true;
}

std::string EglPbuffer::start(int width, int height, bool* found) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (clientExtensions == nullptr || !listed(clientExtensions, "EGL_MESA_platform_surfaceless") ||
        getPlatformDisplay == nullptr) {
        return "no EGL implementation offers the surfaceless platform "
               "(EGL_MESA_platform_surfaceless)";
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return failed("eglGetPlatformDisplayEXT (surfaceless)");
    if (!eglInitialize(display, nullptr, nullptr)) return failed("eglInitialize (surfaceless)");
    display_ = display;
    *found = true;

    if (!eglBindAPI(EGL_OPENGL_API)) return failed("eglBindAPI(EGL_OPENGL_API)");
    EGLConfig config = nullptr;
    if (!exactConfig(display, &config)) {
        return "EGL has no pbuffer config for desktop OpenGL with 8-bit red, green and blue, no "
               "alpha and " +
               std::to_string(kReferenceDepthBits) + " bits of depth";
    }
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface_ = eglCreatePbufferSurface(display, config, size);
    if (surface_ == EGL_NO_SURFACE) {
        surface_ = nullptr;
        return failed("eglCreatePbufferSurface at " + std::to_string(width) + " x " +
                      std::to_string(height));
    }
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, compatibility);
    if (context_ == EGL_NO_CONTEXT) {
        context_ = nullptr;
        return failed("eglCreateContext (OpenGL, compatibility profile)");
    }
    if (!eglMakeCurrent(display, surface_, surface_, context_)) return failed("eglMakeCurrent");

    EGLint shownWidth = 0, shownHeight = 0;
    eglQuerySurface(display, surface_, EGL_WIDTH, &shownWidth);
    eglQuerySurface(display, surface_, EGL_HEIGHT, &shownHeight);
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    if (shownWidth != width || shownHeight != height || width > maxViewport[0] ||
        height > maxViewport[1]) {
        return "asked for a " + std::to_string(width) + " x " + std::to_string(height) +
               " pbuffer, got " + std::to_string(shownWidth) + " x " + std::to_string(shownHeight) +
               " (OpenGL viewport limit " + std::to_string(maxViewport[0]) + " x " +
               std::to_string(maxViewport[1]) + ")";
    }
    return "";
}

void EglPbuffer::close() {
    if (display_ == nullptr) return;
    const TimeBound bound(program_, "closing EGL", waitSeconds_);
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_ != nullptr) eglDestroyContext(display_, context_);
    if (surface_ != nullptr) eglDestroySurface(display_, surface_);
    eglTerminate(display_);
    eglReleaseThread();
    display_ = surface_ = context_ = nullptr;
}
