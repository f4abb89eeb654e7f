#include "raster/render_scene.h"

#include "app/view_state.h"
#include "gl/render_opengl.h"
#include "raster/frame_buffers.h"
#include "raster/present.h"
#include "raster/render_software.h"

void renderScene(Scene& scene, int width, int height) {
    prepareFrameBuffers(width, height);
    if (useOpenGL) {
        renderOpenGL(scene, width, height);
        return;
    }
    renderSoftware(scene, width, height);
    presentColorBuffer(width, height);
}
