#include "guard/x_failures.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <cstdarg>
#include <cstdio>

#include "base/shown_text.h"
#include "guard/signal_messages.h"
#include "guard/startup_messages.h"

namespace {

std::string program;
std::string displayName;

// At once (_exit): the X connection is gone or unusable, and exit handlers
// could wait on it again.
[[noreturn]] void endWith(const std::string& reason) {
    const std::string line = program + ": " + reason + releaseStartupMessages() + "\n";
    sayLastLineAndEnd(line.data(), line.size());
}

std::string server() {
    return "the X server at " + shown(displayName);
}

int onConnectionLost(Display*) {
    endWith("lost the connection to " + server());
}

int onProtocolError(Display* display, XErrorEvent* event) {
    char text[256] = "";
    XGetErrorText(display, event->error_code, text, sizeof text);
    endWith("X error from " + server() + ": " + escapedText(text) + " (request " +
            std::to_string(static_cast<int>(event->request_code)) + ")");
}

void onGlutError(const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    endWith("freeglut: " + escapedText(text));
}

}  // namespace

void endOnXFailures(const std::string& programName, const std::string& display) {
    program = programName;
    displayName = display;
    XSetIOErrorHandler(onConnectionLost);
    XSetErrorHandler(onProtocolError);
    glutInitErrorFunc(onGlutError);
}
