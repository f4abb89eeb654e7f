#include "gl/reference_surface.h"

#include "gl/gl_window.h"
#include "gl/x_wait_bound.h"

ReferenceSurface::~ReferenceSurface() {
    close();
}

bool ReferenceSurface::open(const char* program, double waitSeconds, int width, int height,
                            std::string* error, bool* displayOpened) {
    close();
    *displayOpened = false;
    if (!initGlutOnDisplay(program, error, waitSeconds)) return false;
    *displayOpened = true;
    window_ = openFrameWindow(width, height, "Rasterwork snapshot", error);
    return window_ != 0;
}

void ReferenceSurface::draw(const std::function<void()>& drawAndRead) const {
    const XWaitBound bound(glutProgram(), glutDisplay(), "drawing and reading back",
                           glutWaitSeconds(), XWaitBound::Limit::ServerAnswers);
    drawAndRead();
}

void ReferenceSurface::close() {
    if (window_ == 0) return;
    closeGlutDisplay(window_);
    window_ = 0;
}
