#include "frame/render_scene.h"

#include "gl/present.h"
#include "gl/render_opengl.h"
#include "raster/frame_buffers.h"
#include "raster/render_software.h"
#include "view/view_state.h"

void renderScene(Scene& scene, int width, int height) {
    prepareFrameBuffers(width, height);
    if (useOpenGL) {
        renderOpenGL(scene, width, height);
        return;
    }
    renderSoftware(scene, width, height);
    presentColorBuffer(width, height);
}
