#include "app/callbacks.h"

#include <GL/glut.h>

#include <cstdlib>

#include "frame/frame.h"
#include "scene/scene.h"
#include "view/view_state.h"

Scene viewerScene;

namespace {
constexpr unsigned char kEscape = 27;

// Adds a pixel movement to a view value: the sum in double, stored as float.
float addPixels(float value, float pixels) {
    return static_cast<float>(static_cast<double>(value) + static_cast<double>(pixels));
}

// Pointer movement in pixels. Formed in 64 bits so that wild coordinates
// cannot overflow an int.
float pixelDelta(int to, int from) {
    return static_cast<float>(static_cast<long long>(to) - static_cast<long long>(from));
}
}  // namespace

void requestRedraw() {
    glutIdleFunc(idle);
}

void display() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int width = viewport[2];
    const int height = viewport[3];

    drawFrame(viewerScene, width, height);
    glutSwapBuffers();
}

void idle() {
    display();
    glutIdleFunc(nullptr);
}

void reshape(int width, int height) {
    if (width != 0 && height != 0) glViewport(0, 0, width, height);
}

void keyboard(unsigned char key, int, int) {
    switch (key) {
        case kEscape:
        case 'q':
            std::exit(0);
        case 'g':
            useOpenGL = !useOpenGL;
            requestRedraw();
            break;
        default:
            break;
    }
}

void mouse(int button, int state, int x, int y) {
    const bool down = state == GLUT_DOWN;
    switch (button) {
        case GLUT_LEFT_BUTTON:
            leftButtonDown = down;
            break;
        case GLUT_MIDDLE_BUTTON:
            middleButtonDown = down;
            break;
        case GLUT_RIGHT_BUTTON:
            rightButtonDown = down;
            break;
        case 3:  // wheel towards the scene, on press and on release alike
            zoom = static_cast<float>(static_cast<double>(zoom) + 1.0);
            break;
        case 4:
            zoom = static_cast<float>(static_cast<double>(zoom) - 1.0);
            break;
        default:
            break;
    }
    mouseX = x;
    mouseY = y;
    requestRedraw();
}

void motion(int x, int y) {
    const float dx = pixelDelta(x, mouseX);
    const float dy = pixelDelta(y, mouseY);
    if (leftButtonDown) {
        angleZ = addPixels(angleZ, dx);
        angleX = addPixels(angleX, dy);
    }
    if (rightButtonDown) {
        panX = addPixels(panX, dx);
        panY = addPixels(panY, dy);
    }
    mouseX = x;
    mouseY = y;
    requestRedraw();
}
