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
    // The window was just cleared to white, and so was the colour buffer
    // wherever the render did not draw: only the drawn part needs showing.
    const PixelRect drawn = renderSoftware(scene, width, height, 1);
    presentColorBufferRect(width, height, drawn);
}
