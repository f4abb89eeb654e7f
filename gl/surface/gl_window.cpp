#include "gl/surface/gl_window.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <set>
#include <thread>

#include "gl/surface/glut_start.h"
#include "guard/startup_messages.h"
#include "guard/x_failures.h"
#include "guard/x_wait_bound.h"

namespace {

constexpr double kShowTimeoutSeconds = 10.0;

std::string program;
std::string displayName;
double waitBound = kXWaitSeconds;

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
    glutInitWarningFunc(onGlutWarning);
    GlutStart start;
    start.program = program;
    start.waitSeconds = waitSeconds;
    if (!startGlut(start, &argc, argv, &displayName, error)) return false;
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

int openFrameWindow(int width, int height, const char* title, std::string* error, bool* noOpenGL) {
    // The GL library makes the window's buffers meanwhile, which for a large
    // window takes it longer than the server may: only the server is timed.
    const XWaitBound bound(program, displayName, "opening a window", waitBound,
                           XWaitBound::Limit::ServerAnswers);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    glutInitWindowPosition(0, 0);
    holdStartupMessages();  // the GL libraries load with the first context
    int window = 0;
    std::string glutError;
    if (!surviveGlutErrors([&] { window = glutCreateWindow(title); }, &glutError)) {
        // No OpenGL context could be had on this display (a broken driver),
        // unless the display itself has gone.
        endIfServerGone();
        *error = glutError + releaseStartupMessages();
        if (noOpenGL != nullptr) *noOpenGL = true;
        return 0;
    }
    releaseStartupMessages();
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
                 std::to_string(static_cast<int>(kShowTimeoutSeconds)) + " s" +
                 releaseStartupMessages();
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
    forgetStartupMessages();
    return window;
}

void closeGlutDisplay(int window) {
    const XWaitBound bound(program, displayName, "closing the window", waitBound);
    glutDestroyWindow(window);
    glutExit();
}
