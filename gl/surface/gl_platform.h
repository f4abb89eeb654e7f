#pragma once

#include <string>

// How the tools reach OpenGL for the reference picture: off screen through
// EGL, needing no X server; through GLX in a window on the X display in
// DISPLAY; or EGL where it can be had and GLX where not.
enum class GlPlatform { Auto, Egl, X11 };

// The OpenGL that drew a picture, as it names itself (GL_VENDOR,
// GL_RENDERER, GL_VERSION), and the platform it was reached through, "egl"
// or "x11".
struct GlImplementation {
    std::string vendor;
    std::string renderer;
    std::string version;
    std::string platform;
};
