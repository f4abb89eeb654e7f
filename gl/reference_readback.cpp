#include "gl/reference_readback.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <type_traits>

static_assert(sizeof(Color) == 4 * sizeof(GLfloat) && std::is_standard_layout<Color>::value,
              "glReadPixels writes RGBA floats straight into Color elements");

void readBackFrame(const PixelRect& rect, std::vector<std::uint8_t>* rgb, std::vector<Color>* color,
                   std::vector<float>* depth) {
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const std::size_t pixels =
        static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height);
    if (rgb) {
        rgb->assign(pixels * 3, 0);
        glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_RGB, GL_UNSIGNED_BYTE,
                     rgb->data());
    }
    if (color) {
        color->assign(pixels, Color());
        glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_RGBA, GL_FLOAT, color->data());
    }
    if (depth) {
        depth->assign(pixels, 0.0f);
        glReadPixels(rect.x, rect.y, rect.width, rect.height, GL_DEPTH_COMPONENT, GL_FLOAT,
                     depth->data());
    }
}

unsigned takeOpenGLError() {
    return glGetError();
}

std::string openGLErrorText(unsigned error) {
    if (error == GL_OUT_OF_MEMORY) {
        return "the OpenGL library ran out of memory (GL_OUT_OF_MEMORY)";
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%x", error);
    return std::string("OpenGL error ") + code;
}
