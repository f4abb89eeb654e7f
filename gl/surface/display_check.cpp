#include "gl/surface/display_check.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

#include "base/shown_text.h"

std::string requestedDisplay(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
    }
    const char* name = std::getenv("DISPLAY");
    return name ? name : "";
}

DisplayProbe::DisplayProbe(const std::string& name, const std::string& program,
                           double waitSeconds) {
    // A server that takes the connection and never answers is a display that
    // cannot be opened, as one that is not there.
    if (!XWaitBound::attempt(
            program, name, "opening the display", waitSeconds,
            [&] { display_ = XOpenDisplay(name.c_str()); }, &problem_)) {
        return;
    }
    if (display_ == nullptr) {
        problem_ =
            "cannot open X display \"" + escapedText(name) + "\" (is an X server running there?)";
    }
}

void DisplayProbe::screenSize(int* width, int* height) const {
    *width = display_ ? DisplayWidth(display_, DefaultScreen(display_)) : 0;
    *height = display_ ? DisplayHeight(display_, DefaultScreen(display_)) : 0;
}

DisplayProbe::~DisplayProbe() {
    close();
}

void DisplayProbe::close() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
}
