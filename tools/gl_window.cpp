#include "tools/gl_window.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>

namespace {

constexpr double kShowTimeoutSeconds = 10.0;

std::set<int>& shownWindows() {
    static std::set<int> shown;
    return shown;
}

void markShown() {
    shownWindows().insert(glutGetWindow());
}

}  // namespace

bool initGlutOnDisplay(const char* programName, std::string* error) {
    static bool initialised = false;
    if (initialised) return true;
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        *error = "no X display: DISPLAY is not set (run under Xvfb, e.g. xvfb-run)";
        return false;
    }
    Display* probe = XOpenDisplay(nullptr);
    if (!probe) {
        *error = std::string("cannot open X display '") + name + "'";
        return false;
    }
    static std::string program;
    program = programName;
    static char* argv[] = {program.data(), nullptr};
    int argc = 1;
    glutInit(&argc, argv);
    // Closed only now: an X server started without -noreset (xvfb-run's)
    // resets when its last client leaves, and refuses connections meanwhile.
    XCloseDisplay(probe);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    initialised = true;
    return true;
}

int openFrameWindow(int width, int height, const char* title, std::string* error) {
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
