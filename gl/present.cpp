#include "gl/present.h"

// glWindowPos2i is OpenGL 1.4; Mesa declares it in glext.h only on request.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <type_traits>

#include "raster/frame_buffers.h"

static_assert(sizeof(Color) == 4 * sizeof(GLfloat) && std::is_standard_layout<Color>::value,
              "the colour buffer is uploaded as packed GL_RGBA / GL_FLOAT pixels");

// One upload of the whole buffer gives the same pixels as one point per pixel
// (glColor3f then glVertex2i for every x, y) at a fraction of the cost. The
// colour buffer's layout is exactly GL_RGBA / GL_FLOAT rows with row 0 at the
// bottom, so it is handed over as it is.
void presentColorBuffer(int width, int height) {
    if (width <= 0 || height <= 0) return;

    // Raster position and pixel transfer state are ours only for this call.
    glPushAttrib(GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);

    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    // A point takes only r, g and b (glColor3f leaves alpha at 1), so the
    // buffer's alpha is replaced by 1 on the way in.
    glPixelTransferf(GL_RED_SCALE, 1.0f);
    glPixelTransferf(GL_GREEN_SCALE, 1.0f);
    glPixelTransferf(GL_BLUE_SCALE, 1.0f);
    glPixelTransferf(GL_RED_BIAS, 0.0f);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelTransferf(GL_BLUE_BIAS, 0.0f);
    glPixelTransferf(GL_ALPHA_SCALE, 0.0f);
    glPixelTransferf(GL_ALPHA_BIAS, 1.0f);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
    glPixelZoom(1.0f, 1.0f);

    // A glRasterPos at the clip boundary may be invalid and draw nothing;
    // glWindowPos is always valid.
    glWindowPos2i(0, 0);
    glDrawPixels(width, height, GL_RGBA, GL_FLOAT, colorBuffer);

    glPopClientAttrib();
    glPopAttrib();

    // The points would leave the colour of the last pixel presented current.
    const std::size_t last =
        static_cast<std::size_t>(height - 1) * static_cast<std::size_t>(width) +
        static_cast<std::size_t>(width - 1);
    const Color& c = colorBuffer[last];
    glColor3f(c.r, c.g, c.b);
}
