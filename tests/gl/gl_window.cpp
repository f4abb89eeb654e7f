#include "gl_window.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <memory>

#include "xvfb_server.h"

namespace glwindow {
namespace {
std::unique_ptr<XvfbServer> server;

void noDisplay() {}
}  // namespace

std::string open(int* argc, char** argv) {
    server = std::make_unique<XvfbServer>(kWidth + 100, kHeight + 100);
    if (!server->ok()) return "Xvfb: " + server->error();
    setenv("DISPLAY", server->display().c_str(), 1);
    glutInitDisplayMode(GLUT_RGBA | GLUT_ALPHA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWidth, kHeight);
    glutInitWindowPosition(0, 0);
    glutInit(argc, argv);
    if (glutCreateWindow("rasterwork gl tests") <= 0) return "glutCreateWindow failed";
    glutDisplayFunc(noDisplay);
    for (int i = 0; i < 10; ++i) glutMainLoopEvent();
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_BACK);
    drainErrors();
    return "";
}

void beginFrame(int width, int height) {
    glViewport(0, 0, width, height);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, 0, -1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

std::vector<std::uint8_t> readRgba(int x, int y, int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void drainErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace glwindow
