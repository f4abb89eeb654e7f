#include "frame/render_scene.h"

#include <GL/gl.h>

#include <cstdio>
#include <new>

#include "frame/free_memory.h"
#include "gl/present.h"
#include "gl/render_opengl.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/render_software.h"
#include "view/view_state.h"

namespace {

// Said once when the software picture's memory cannot be had, and again only
// after it could be had in between.
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

void drawSoftwareScene(Scene& scene, FrameBuffers& buffers, int width, int height) {
    // The window was just cleared to white, which is what every pixel
    // outside the drawn bands is. The flush hands the clear to OpenGL, whose
    // own threads clear the window and then draw each band while this one
    // lights the next rows.
    glFlush();
    bool ready = false;
    try {
        PictureHandOver handOver(width, height);
        ready =
            renderSoftwareFrame(scene, buffers, width, height,
                                [&handOver](const WindowPicture& band) { handOver.band(band); });
    } catch (const std::bad_alloc&) {
        // The frame's other storage (the spans, the per-frame tables, taken
        // before any band is shown) did not fit either: white, as for the
        // buffers.
    }
    reportMissingBuffers(width, height, !ready);
    if (!ready) {
        // The window was cleared to white. Whatever the frame did get (its
        // buffers may have fitted where the rest did not) goes back, so that
        // the OpenGL picture, which needs none of it, has the room.
        releaseFrameBuffers(buffers);
        releaseFastPathStorage();
        return;
    }
    leaveLastPixelColor(buffers.color, width, height);
}

}  // namespace

void renderReferenceScene(Scene& scene, int width, int height, FrameBuffers* softwareBuffers) {
    keepFreedMemoryForTheNextFrame();
    renderOpenGL(scene, width, height);
    giveBackMemoryAfterShrink(width, height, softwareBuffers);
}

void renderSoftwareScene(Scene& scene, FrameBuffers& buffers, int width, int height) {
    keepFreedMemoryForTheNextFrame();
    drawSoftwareScene(scene, buffers, width, height);
    giveBackMemoryAfterShrink(width, height);
}

void renderScene(Scene& scene, int width, int height) {
    // The software buffers wait in the OpenGL mode as the last software
    // frame left them (the next software frame clears what that one drew),
    // unless the window has shrunk far below them.
    if (useOpenGL) {
        renderReferenceScene(scene, width, height, &viewerBuffers);
    } else {
        renderSoftwareScene(scene, viewerBuffers, width, height);
    }
}
