#include "frame/render_scene.h"

#include <cstdio>

#include "gl/present.h"
#include "gl/render_opengl.h"
#include "raster/frame_buffers.h"
#include "raster/render_software.h"
#include "view/view_state.h"

namespace {

// Said once when the software buffers cannot be had, and again only after
// they could be had in between.
void reportMissingBuffers(int width, int height, bool missing) {
    static bool reported = false;
    if (!missing) {
        reported = false;
        return;
    }
    if (reported) return;
    reported = true;
    std::fprintf(stderr,
                 "rasterwork: not enough memory for the software picture at %d x %d; "
                 "it shows white until the window is smaller\n",
                 width, height);
    std::fflush(stderr);
}

}  // namespace

void renderScene(Scene& scene, int width, int height) {
    const bool buffersReady = prepareFrameBuffers(width, height);
    if (useOpenGL) {
        renderOpenGL(scene, width, height);
        return;
    }
    reportMissingBuffers(width, height, !buffersReady);
    if (!buffersReady) return;  // the window was cleared to white
    // The window was just cleared to white, and so was the colour buffer
    // wherever the render did not draw: only the drawn part needs showing.
    const PixelRect drawn = renderSoftware(scene, width, height, 1);
    presentColorBufferRect(width, height, drawn);
}
