#include "gl/gl_window.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <set>
#include <thread>

#include "gl/display_check.h"

namespace {

constexpr double kShowTimeoutSeconds = 10.0;

std::string program;
std::string displayName;
double waitBound = kXWaitSeconds;

// The failure handlers below end the process at once (_exit): the X
// connection is gone or unusable, and exit handlers could wait on it again.
[[noreturn]] void endWith(const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), reason.c_str());
    std::fflush(stderr);
    _exit(1);
}

int onConnectionLost(Display*) {
    endWith("lost the connection to the X server at '" + printableDisplayName(displayName) + "'");
}

int onProtocolError(Display* display, XErrorEvent* event) {
    char text[256] = "";
    XGetErrorText(display, event->error_code, text, sizeof text);
    endWith("X error from the server at '" + printableDisplayName(displayName) +
            "': " + printableDisplayName(text) + " (request " +
            std::to_string(static_cast<int>(event->request_code)) + ")");
}

void onGlutError(const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    endWith("freeglut: " + printableDisplayName(text));
}

void onGlutWarning(const char*, va_list) {}

std::set<int>& shownWindows() {
    static std::set<int> shown;
    return shown;
}

void markShown() {
    shownWindows().insert(glutGetWindow());
}

}  // namespace

bool initGlutOnDisplay(const char* programName, std::string* error, double waitSeconds) {
    static bool initialised = false;
    if (initialised) return true;
    program = programName;
    waitBound = waitSeconds;
    static char* argv[] = {program.data(), nullptr};
    int argc = 1;
    DisplayProbe probe(argc, argv, program, waitSeconds);
    if (!probe.problem().empty()) {
        *error = probe.problem();
        return false;
    }
    displayName = probe.name();
    XSetIOErrorHandler(onConnectionLost);
    XSetErrorHandler(onProtocolError);
    glutInitErrorFunc(onGlutError);
    glutInitWarningFunc(onGlutWarning);
    {
        const XWaitBound bound(program, displayName, "opening the display", waitSeconds);
        glutInit(&argc, argv);
    }
    probe.close();  // GLUT holds its own connection now
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    initialised = true;
    return true;
}

const std::string& glutProgram() {
    return program;
}

const std::string& glutDisplay() {
    return displayName;
}

double glutWaitSeconds() {
    return waitBound;
}

int openFrameWindow(int width, int height, const char* title, std::string* error) {
    const XWaitBound bound(program, displayName, "opening a window", waitBound);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    glutInitWindowPosition(0, 0);
    const int window = glutCreateWindow(title);
    glutDisplayFunc(markShown);

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(kShowTimeoutSeconds);
    while (!shownWindows().count(window) && std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    glutSetWindow(window);
    if (!shownWindows().count(window)) {
        *error = "the window system did not show the window within " +
                 std::to_string(static_cast<int>(kShowTimeoutSeconds)) + " s";
        glutDestroyWindow(window);
        return 0;
    }

    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    const int shownWidth = glutGet(GLUT_WINDOW_WIDTH);
    const int shownHeight = glutGet(GLUT_WINDOW_HEIGHT);
    if (shownWidth != width || shownHeight != height || width > maxViewport[0] ||
        height > maxViewport[1]) {
        *error = "asked for a " + std::to_string(width) + " x " + std::to_string(height) +
                 " window, got " + std::to_string(shownWidth) + " x " +
                 std::to_string(shownHeight) + " (OpenGL viewport limit " +
                 std::to_string(maxViewport[0]) + " x " + std::to_string(maxViewport[1]) + ")";
        glutDestroyWindow(window);
        return 0;
    }
    return window;
}

void closeGlutDisplay(int window) {
    const XWaitBound bound(program, displayName, "closing the window", waitBound);
    glutDestroyWindow(window);
    glutExit();
}
