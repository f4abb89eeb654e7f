#include "frame/frame.h"

#include <GL/gl.h>

#include "frame/render_scene.h"
#include "view/camera.h"
#include "view/view_state.h"

void startPixelFrame(int width, int height, bool clearDepth) {
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(clearDepth ? GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, 0.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void drawFrame(Scene& scene, int width, int height) {
    // The software picture is drawn without a depth test: only the OpenGL
    // picture needs the depth buffer cleared.
    startPixelFrame(width, height, useOpenGL);
    setupCamera(scene, width, height);
    renderScene(scene, width, height);
}
