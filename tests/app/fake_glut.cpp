#include "fake_glut.h"

#include <GL/glut.h>

#include <algorithm>
#include <cstdio>

#include "app/callbacks.h"
#include "frame/render_scene.h"
#include "scene/scene.h"
#include "view/camera.h"

namespace fake {
std::vector<std::string> calls;
int viewport[4] = {0, 0, 480, 480};
void (*idleCallback)() = nullptr;

void reset() {
    calls.clear();
    viewport[0] = 0;
    viewport[1] = 0;
    viewport[2] = 480;
    viewport[3] = 480;
    idleCallback = nullptr;
}

int count(const std::string& call) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}
}  // namespace fake

namespace {
std::string format(const char* pattern, double a, double b, double c, double d, double e = 0,
                   double f = 0) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b, c, d, e, f);
    return text;
}

std::string sceneName(const Scene& s) {
    return &s == &viewerScene ? "scene" : "another scene";
}
}  // namespace

void glutIdleFunc(void (*callback)()) {
    fake::idleCallback = callback;
    fake::calls.push_back(callback == nullptr ? "glutIdleFunc(NULL)"
                          : callback == idle  ? "glutIdleFunc(idle)"
                                              : "glutIdleFunc(other)");
}

void glutSwapBuffers() {
    fake::calls.push_back("glutSwapBuffers");
}

void glGetIntegerv(GLenum pname, GLint* data) {
    if (pname != GL_VIEWPORT) {
        fake::calls.push_back("glGetIntegerv(" + std::to_string(pname) + ")");
        return;
    }
    std::copy(fake::viewport, fake::viewport + 4, data);
    fake::calls.push_back("glGetIntegerv(GL_VIEWPORT)");
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    fake::calls.push_back(format("glViewport(%g,%g,%g,%g)", x, y, width, height));
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    fake::calls.push_back(format("glClearColor(%g,%g,%g,%g)", r, g, b, a));
}

void glClear(GLbitfield mask) {
    char text[32];
    std::snprintf(text, sizeof text, "glClear(0x%x)", mask);
    fake::calls.push_back(text);
}

void glMatrixMode(GLenum mode) {
    fake::calls.push_back(mode == GL_PROJECTION  ? "glMatrixMode(GL_PROJECTION)"
                          : mode == GL_MODELVIEW ? "glMatrixMode(GL_MODELVIEW)"
                                                 : "glMatrixMode(" + std::to_string(mode) + ")");
}

void glLoadIdentity() {
    fake::calls.push_back("glLoadIdentity");
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar) {
    fake::calls.push_back(format("glOrtho(%.17g,%.17g,%.17g,%.17g,%.17g,%.17g)", left, right,
                                 bottom, top, zNear, zFar));
}

void setupCamera(Scene& s, int width, int height) {
    fake::calls.push_back("setupCamera(" + sceneName(s) + "," + std::to_string(width) + "," +
                          std::to_string(height) + ")");
}

void renderScene(Scene& s, int width, int height) {
    fake::calls.push_back("renderScene(" + sceneName(s) + "," + std::to_string(width) + "," +
                          std::to_string(height) + ")");
}
