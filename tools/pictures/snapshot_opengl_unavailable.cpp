// Used when the project is configured without OpenGL (RW_HEADLESS): the
// software renderer still works, the reference renderer reports why not.
#include "tools/pictures/snapshot_opengl.h"

bool renderOpenGLSnapshot(const RenderOptions&, unsigned, OpenGLReadback*, std::string* error) {
    *error = "this build has no OpenGL support (configured with RW_HEADLESS=ON)";
    return false;
}
