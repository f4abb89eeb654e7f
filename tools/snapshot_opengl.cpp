#include <GL/freeglut.h>

#include <cerrno>
#include <cstdio>
#include <type_traits>

#include "frame/reference_frame.h"
#include "gl/gl_window.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/image_files.h"
#include "tools/snapshot_render.h"

static_assert(sizeof(Color) == 4 * sizeof(GLfloat) && std::is_standard_layout<Color>::value,
              "glReadPixels writes RGBA floats straight into Color elements");

bool renderOpenGLSnapshot(const SnapshotOptions& options, unsigned parts, OpenGLReadback* readback,
                          std::string* error) {
    if (!initGlutOnDisplay(program_invocation_short_name, error)) return false;
    const int width = options.width;
    const int height = options.height;
    const int window = openFrameWindow(width, height, "Rasterwork snapshot", error);
    if (!window) return false;

    applySnapshotView(options);
    buildDefaultScene(scene);
    drawReferenceFrame(scene, width, height);

    // Read the back buffer before any swap: its pixels belong to this
    // context alone, wherever the window sits on the screen.
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (parts & OpenGLReadback::kRgb) {
        readback->rgbTopDown.assign(pixels * 3, 0);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, readback->rgbTopDown.data());
    }
    if (parts & OpenGLReadback::kColor) {
        readback->color.assign(pixels, Color());
        glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, readback->color.data());
    }
    if (parts & OpenGLReadback::kDepth) {
        readback->depth.assign(pixels, 0.0f);
        glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_FLOAT, readback->depth.data());
    }
    const GLenum failure = glGetError();
    glutDestroyWindow(window);
    if (failure != GL_NO_ERROR) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", failure);
        *error = std::string("OpenGL error ") + code + " while reading the picture back";
        return false;
    }
    if (parts & OpenGLReadback::kRgb) flipRgbRows(readback->rgbTopDown, width, height);
    return true;
}
