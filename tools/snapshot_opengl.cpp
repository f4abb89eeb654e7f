#include <GL/freeglut.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "frame/reference_frame.h"
#include "gl/gl_window.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/image_files.h"
#include "tools/reference_objects.h"
#include "tools/snapshot_render.h"

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

}  // namespace

bool renderOpenGLSnapshot(const SnapshotOptions& options, unsigned parts, OpenGLReadback* readback,
                          std::string* error) {
    if (!initGlutOnDisplay(program_invocation_short_name, error, xWaitSeconds())) return false;
    readback->displayOpened = true;
    const int width = options.width;
    const int height = options.height;
    const int window = openFrameWindow(width, height, "Rasterwork snapshot", error);
    if (!window) return false;
    OpenGLReadback::Rect& rect = readback->rect;
    if (rect.width == 0) rect = OpenGLReadback::Rect{0, 0, width, height};

    GLenum failure = GL_NO_ERROR;
    {
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
        failure = glGetError();
    }
    // Done with the server before any output is touched: whatever happens
    // to it later cannot turn a written file into a failed run.
    closeGlutDisplay(window);
    if (failure != GL_NO_ERROR) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", failure);
        *error = std::string("OpenGL error ") + code + " while reading the picture back";
        return false;
    }
    if (parts & OpenGLReadback::kRgb) flipRgbRows(readback->rgbTopDown, rect.width, rect.height);
    return true;
}
