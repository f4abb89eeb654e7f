#include <GL/freeglut.h>

#include <cstdio>

#include "frame/reference_frame.h"
#include "gl/gl_window.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/image_files.h"
#include "tools/snapshot_render.h"

bool renderOpenGLSnapshot(const SnapshotOptions& options, std::vector<std::uint8_t>* rgbTopDown,
                          std::string* error) {
    if (!initGlutOnDisplay("rasterwork-snapshot", error)) return false;
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
    rgbTopDown->assign(static_cast<std::size_t>(width) * height * 3, 0);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgbTopDown->data());
    const GLenum failure = glGetError();
    glutDestroyWindow(window);
    if (failure != GL_NO_ERROR) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%x", failure);
        *error = std::string("OpenGL error ") + code + " while reading the picture back";
        return false;
    }
    flipRgbRows(*rgbTopDown, width, height);
    return true;
}
