#include "frame/reference_frame.h"

#include <GL/gl.h>

#include "frame/frame.h"

void drawReferenceFrame(Scene& scene, int width, int height) {
    glViewport(0, 0, width, height);
    glDrawBuffer(GL_BACK);
    drawFrame(scene, width, height);
}
