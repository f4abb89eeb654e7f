#include "gl/surface/display_check.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

#include "base/shown_text.h"
#include "guard/render_threads.h"
#include "guard/x_failures.h"

namespace {
// The display glutInit will connect to: a -display argument wins over DISPLAY.
const char* requestedDisplay(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-display") == 0) return argv[i + 1];
    }
    return std::getenv("DISPLAY");
}
}  // namespace

DisplayProbe::DisplayProbe(int argc, char** argv, const std::string& program, double waitSeconds) {
    const char* name = requestedDisplay(argc, argv);
    if (name == nullptr || name[0] == '\0') {
        problem_ = "no X display: DISPLAY is not set (run it in an X session or under xvfb-run)";
        return;
    }
    name_ = name;
    drawOnTheCallingThreadWhereNoThreadStarts();
    endOnXFailures(program, name_);
    // A server that takes the connection and never answers is a display that
    // cannot be opened, as one that is not there.
    if (!XWaitBound::attempt(
            program, name_, "opening the display", waitSeconds,
            [&] { display_ = XOpenDisplay(name); }, &problem_)) {
        return;
    }
    if (display_ == nullptr) {
        problem_ =
            "cannot open X display \"" + escapedText(name_) + "\" (is an X server running there?)";
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
