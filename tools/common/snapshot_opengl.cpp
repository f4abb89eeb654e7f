#include <GL/freeglut.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <type_traits>
#include <utility>

#include "frame/reference_frame.h"
#include "gl/gl_window.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/common/image_files.h"
#include "tools/common/reference_objects.h"
#include "tools/common/snapshot_opengl.h"

static_assert(sizeof(Color) == 4 * sizeof(GLfloat) && std::is_standard_layout<Color>::value,
              "glReadPixels writes RGBA floats straight into Color elements");

namespace {

// RASTERWORK_SNAPSHOT_X_TIMEOUT (seconds) shortens or lengthens the bound on
// each wait on the X server, for tests of a server that never answers.
double xWaitSeconds() {
    const char* text = std::getenv("RASTERWORK_SNAPSHOT_X_TIMEOUT");
    if (!text || !*text) return kXWaitSeconds;
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (*end != '\0' || !(seconds > 0.0) || seconds > 86400.0) return kXWaitSeconds;
    return seconds;
}

// Draws one frame of the view `options` gives and reads back the parts asked
// for over readback->rect (the whole frame when its width is 0), rows
// bottom to top; returns the first OpenGL error, if any.
GLenum drawAndReadBack(const RenderOptions& options, unsigned parts, OpenGLReadback* readback) {
    const int width = options.width;
    const int height = options.height;
    OpenGLReadback::Rect& rect = readback->rect;
    if (rect.width == 0) rect = OpenGLReadback::Rect{0, 0, width, height};

    // Drawing a large picture can take the GL library longer than the
    // bound: only the server's answers are timed.
    const XWaitBound bound(glutProgram(), glutDisplay(), "drawing and reading back",
                           glutWaitSeconds(), XWaitBound::Limit::ServerAnswers);
    applySnapshotView(options);
    buildDefaultScene(scene);
    drawReferenceFrame(scene, width, height);

    // Read the back buffer before any swap: its pixels belong to this
    // context alone, wherever the window sits on the screen.
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const std::size_t pixels =
        static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height);
    if (parts & OpenGLReadback::kRgb) {
        readback->rgbTopDown.assign(pixels * 3, 0);
        glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_RGB, GL_UNSIGNED_BYTE,
                     readback->rgbTopDown.data());
    }
    if (parts & OpenGLReadback::kColor) {
        readback->color.assign(pixels, Color());
        glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_RGBA, GL_FLOAT,
                     readback->color.data());
    }
    if (parts & OpenGLReadback::kDepth) {
        readback->depth.assign(pixels, 0.0f);
        glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_DEPTH_COMPONENT, GL_FLOAT,
                     readback->depth.data());
    }
    if (parts & OpenGLReadback::kObjects) {
        readback->objects =
            readReferenceObjects(scene, width, height, rect.x, rect.y, rect.width, rect.height);
    }
    const GLenum failure = glGetError();
    if (parts & OpenGLReadback::kRgb) flipRgbRows(readback->rgbTopDown, rect.width, rect.height);
    return failure;
}

// Every view in turn in one window, each read back into a copy of
// `prototype` (its rect) and handed to take; *opened tells whether the
// display could be opened.
bool renderViews(const RenderOptions& options, const std::vector<View>& views, unsigned parts,
                 const OpenGLReadback& prototype,
                 const std::function<bool(std::size_t, OpenGLReadback&)>& take, bool* opened,
                 std::string* error) {
    if (!initGlutOnDisplay(program_invocation_short_name, error, xWaitSeconds())) return false;
    *opened = true;
    const int window = openFrameWindow(options.width, options.height, "Rasterwork snapshot", error);
    if (!window) return false;
    for (std::size_t v = 0; v < views.size(); ++v) {
        RenderOptions frame = options;
        frame.view = views[v];
        OpenGLReadback readback;
        readback.rect = prototype.rect;
        readback.displayOpened = true;
        const GLenum failure = drawAndReadBack(frame, parts, &readback);
        if (failure != GL_NO_ERROR) {
            closeGlutDisplay(window);
            char code[16];
            std::snprintf(code, sizeof code, "0x%x", failure);
            *error = std::string("OpenGL error ") + code + " while reading the picture back";
            return false;
        }
        if (!take(v, readback)) {
            closeGlutDisplay(window);
            return false;
        }
    }
    // Done with the server before any output is touched: whatever happens
    // to it later cannot turn a written file into a failed run.
    closeGlutDisplay(window);
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
    readback->displayOpened = opened;
    return drawn;
}

bool renderOpenGLViews(const RenderOptions& options, const std::vector<View>& views, unsigned parts,
                       const std::function<bool(std::size_t, OpenGLReadback&)>& take,
                       std::string* error) {
    bool opened = false;
    return renderViews(options, views, parts, OpenGLReadback(), take, &opened, error);
}
