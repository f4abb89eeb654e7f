#include "gl/gl_window.h"

#include <GL/freeglut.h>

#include <chrono>
#include <set>
#include <thread>

#include "gl/display_check.h"

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
    static std::string program;
    program = programName;
    static char* argv[] = {program.data(), nullptr};
    int argc = 1;
    DisplayProbe probe(argc, argv);
    if (!probe.problem().empty()) {
        *error = probe.problem();
        return false;
    }
    glutInit(&argc, argv);
    probe.close();  // GLUT holds its own connection now
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
