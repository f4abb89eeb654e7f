#include "gl/reference_objects.h"

#include <GL/gl.h>

#include "gl/matrix_handover.h"

namespace {

void loadMatrix(GLenum mode, const Matrix4& m) {
    float columnMajor[16];
    toColumnMajorFloats(m, columnMajor);
    glMatrixMode(mode);
    glLoadMatrixf(columnMajor);
}

// Object i is drawn as the colour i + 1 spread over red and green bytes;
// the cleared black reads back as 0, no object.
void setObjectColour(std::size_t object) {
    const std::size_t id = object + 1;
    glColor3ub(static_cast<GLubyte>(id & 0xff), static_cast<GLubyte>((id >> 8) & 0xff), 0);
}

}  // namespace

std::vector<std::int32_t> readReferenceObjects(const Scene& scene, int width, int height, int readX,
                                               int readY, int readWidth, int readHeight) {
    glViewport(0, 0, width, height);
    glDrawBuffer(GL_BACK);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glEnable(GL_DEPTH_TEST);
    loadMatrix(GL_MODELVIEW, scene.viewTransform.matrix);
    loadMatrix(GL_PROJECTION, scene.projectionTransform.matrix);

    for (std::size_t object = 0; object < scene.objects.size(); ++object) {
        setObjectColour(object);
        for (const Face& face : scene.objects[object].faces) {
            glBegin(GL_POLYGON);
            for (const Vertex& vertex : face.vertices) {
                const GLfloat position[4] = {vertex.position.x, vertex.position.y,
                                             vertex.position.z, vertex.position.w};
                glVertex4fv(position);
            }
            glEnd();
        }
    }
    glFinish();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_DITHER);

    const std::size_t pixels =
        static_cast<std::size_t>(readWidth) * static_cast<std::size_t>(readHeight);
    std::vector<std::uint8_t> rgb(pixels * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(readX, readY, readWidth, readHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<std::int32_t> objects(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        objects[i] = static_cast<std::int32_t>(rgb[3 * i] | (rgb[3 * i + 1] << 8)) - 1;
    }
    return objects;
}
