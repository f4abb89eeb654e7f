#include "guard/x_failures.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <setjmp.h>

#include <cstdarg>
#include <cstdio>

#include "base/shown_text.h"
#include "guard/signal_messages.h"
#include "guard/startup_messages.h"

namespace {

std::string program;
std::string displayName;
// Where a step that may survive a GLUT error goes back to, and the error.
sigjmp_buf* glutEscape = nullptr;
std::string glutError;
// Set once a step was given up in the middle: the protocol errors its
// requests left behind arrive later, and say nothing new.
bool stepGivenUp = false;

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
    if (stepGivenUp) return 0;
    char text[256] = "";
    XGetErrorText(display, event->error_code, text, sizeof text);
    endWith("X error from " + server() + ": " + escapedText(text) + " (request " +
            std::to_string(static_cast<int>(event->request_code)) + ")");
}

void onGlutError(const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    if (glutEscape != nullptr) {
        glutError = "freeglut: " + escapedText(text);
        stepGivenUp = true;
        siglongjmp(*glutEscape, 1);
    }
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

void endIfServerGone() {
    Display* fresh = XOpenDisplay(displayName.c_str());
    if (fresh == nullptr) endWith("lost the connection to " + server());
    XCloseDisplay(fresh);
}

bool surviveGlutErrors(const std::function<void()>& call, std::string* error) {
    static sigjmp_buf cameBack;
    if (sigsetjmp(cameBack, 1) != 0) {
        glutEscape = nullptr;
        *error = glutError;
        return false;
    }
    glutEscape = &cameBack;
    call();
    glutEscape = nullptr;
    return true;
}
