#include "frame/reference_frame.h"

#include <GL/gl.h>

#include "frame/frame.h"
#include "frame/render_scene.h"

namespace {

void startWindowFrame(int width, int height, bool clearDepth) {
    glViewport(0, 0, width, height);
    glDrawBuffer(GL_BACK);
    startPixelFrame(width, height, clearDepth);
}

}  // namespace

void drawReferenceFrame(Scene& scene, int width, int height) {
    startWindowFrame(width, height, true);
    renderReferenceScene(scene, width, height);
}

void drawSoftwareFrame(Scene& scene, FrameBuffers& buffers, int width, int height) {
    // The software picture is drawn without a depth test.
    startWindowFrame(width, height, false);
    renderSoftwareScene(scene, buffers, width, height);
}
