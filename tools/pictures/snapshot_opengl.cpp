#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "frame/reference_frame.h"
#include "gl/reference_objects.h"
#include "gl/reference_readback.h"
#include "gl/surface/reference_surface.h"
#include "guard/memory_headroom.h"
#include "guard/x_wait_bound.h"
#include "scene/scene.h"
#include "tools/images/image_files.h"
#include "tools/pictures/snapshot_opengl.h"
#include "view/camera.h"

namespace {

// The scene cut after the stop point's face: the faces drawn up to there.
void keepFacesUpTo(Scene& scene, const StopPoint& stop) {
    const std::size_t object = static_cast<std::size_t>(stop.object);
    if (object >= scene.objects.size()) return;
    scene.objects.resize(object + 1);
    std::vector<Face>& faces = scene.objects[object].faces;
    faces.resize(std::min(faces.size(), static_cast<std::size_t>(stop.face) + 1));
}

// RASTERWORK_SNAPSHOT_X_TIMEOUT (seconds) shortens or lengthens the bound on
// each wait on the X server (and on EGL's start), for tests of a server that
// never answers.
double waitSeconds() {
    const char* text = std::getenv("RASTERWORK_SNAPSHOT_X_TIMEOUT");
    if (!text || !*text) return kXWaitSeconds;
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (*end != '\0' || !(seconds > 0.0) || seconds > 86400.0) return kXWaitSeconds;
    return seconds;
}

// Draws one frame of the view `options` gives on `surface` and reads back
// the parts asked for over readback->rect (the whole frame when its width is
// 0), rows bottom to top; returns the first OpenGL error, 0 when none.
unsigned drawAndReadBack(const ReferenceSurface& surface, const RenderOptions& options,
                         unsigned parts, OpenGLReadback* readback) {
    const int width = options.width;
    const int height = options.height;
    PixelRect& rect = readback->rect;
    if (rect.width == 0) rect = PixelRect{0, 0, width, height};

    unsigned failure = 0;
    surface.draw([&] {
        Scene scene = defaultSceneSeenFrom(options.view, width, height);
        if (options.stopAfter) keepFacesUpTo(scene, *options.stopAfter);
        drawReferenceFrame(scene, width, height);
        readBackFrame(rect, (parts & OpenGLReadback::kRgb) ? &readback->rgbTopDown : nullptr,
                      (parts & OpenGLReadback::kColor) ? &readback->color : nullptr,
                      (parts & OpenGLReadback::kDepth) ? &readback->depth : nullptr);
        if (parts & OpenGLReadback::kObjects) {
            readback->objects =
                readReferenceObjects(scene, width, height, rect.x, rect.y, rect.width, rect.height);
        }
        failure = takeOpenGLError();
    });
    if (parts & OpenGLReadback::kRgb) flipRgbRows(readback->rgbTopDown, rect.width, rect.height);
    return failure;
}

// Every view in turn on one surface, each read back into a copy of
// `prototype` (its rect) and handed to take; *opened tells whether a
// platform for OpenGL could be had at all.
bool renderViews(const RenderOptions& options, const std::vector<View>& views, unsigned parts,
                 const OpenGLReadback& prototype,
                 const std::function<bool(std::size_t, OpenGLReadback&)>& take, bool* opened,
                 std::string* error) {
    ReferenceSurface surface;
    if (!surface.open(options.glPlatform, program_invocation_short_name, waitSeconds(),
                      options.width, options.height, error, opened)) {
        return false;
    }
    // The GL library does not all check its allocations: a frame it has no
    // room for is refused before it is drawn.
    const std::string refusal = openGLMemoryRefusal(
        options.width, options.height,
        "a " + std::to_string(options.width) + " x " + std::to_string(options.height) + " picture");
    if (!refusal.empty()) {
        surface.close();
        *error = refusal;
        return false;
    }
    for (std::size_t v = 0; v < views.size(); ++v) {
        RenderOptions frame = options;
        frame.view = views[v];
        OpenGLReadback readback;
        readback.rect = prototype.rect;
        readback.implementation = surface.implementation();
        readback.platformFound = true;
        const unsigned failure = drawAndReadBack(surface, frame, parts, &readback);
        if (failure != 0) {
            surface.close();
            *error = openGLErrorText(failure) + " while drawing and reading back";
            return false;
        }
        if (!take(v, readback)) {
            surface.close();
            return false;
        }
    }
    // Done with the platform before any output is touched: whatever happens
    // to an X server later cannot turn a written file into a failed run.
    surface.close();
    return true;
}

}  // namespace

bool renderOpenGLSnapshot(const RenderOptions& options, unsigned parts, OpenGLReadback* readback,
                          std::string* error) {
    const OpenGLReadback prototype = std::move(*readback);
    bool opened = false;
    const bool drawn = renderViews(
        options, {options.view}, parts, prototype,
        [readback](std::size_t, OpenGLReadback& frame) {
            *readback = std::move(frame);
            return true;
        },
        &opened, error);
    readback->platformFound = opened;
    return drawn;
}

bool renderOpenGLViews(const RenderOptions& options, const std::vector<View>& views, unsigned parts,
                       const std::function<bool(std::size_t, OpenGLReadback&)>& take,
                       std::string* error) {
    bool opened = false;
    return renderViews(options, views, parts, OpenGLReadback(), take, &opened, error);
}
