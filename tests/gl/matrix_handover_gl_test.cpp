#include <GL/gl.h>
#include <gtest/gtest.h>

#include "gl/matrix_handover.h"
#include "gl_window.h"

namespace {

// A matrix handed over and loaded into OpenGL moves points exactly as the
// Matrix4 itself does; checked through feedback mode, which reports the
// window coordinates OpenGL computed.
TEST(MatrixHandoverInOpenGL, LoadedMatrixTransformsLikeMatrix4) {
    Matrix4 view;
    view.translate(0.1f, -0.2f, -3.0f);
    view.rotateX(-60.0f);
    view.rotateZ(-135.0f);
    Matrix4 projection;
    projection.perspective(0.4f, 0.3f, 0.1f, 10.0f);

    constexpr int kW = 400;
    constexpr int kH = 300;
    glViewport(0, 0, kW, kH);
    float columnMajor[16];
    glMatrixMode(GL_PROJECTION);
    toColumnMajorFloats(projection, columnMajor);
    glLoadMatrixf(columnMajor);
    glMatrixMode(GL_MODELVIEW);
    toColumnMajorFloats(view, columnMajor);
    glLoadMatrixf(columnMajor);

    GLfloat loaded[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(loaded[4 * column + row], static_cast<float>(view.at(row, column)));
        }
    }

    const Vec4 points[] = {{0.5f, -0.5f, 0.5f, 1.0f},
                           {-0.5f, 0.5f, 0.0f, 1.0f},
                           {0.3f, 0.2f, 0.1f, 1.0f},
                           {-0.9f, -0.4f, 0.45f, 1.0f}};
    GLfloat feedback[64];
    glFeedbackBuffer(64, GL_3D, feedback);
    glRenderMode(GL_FEEDBACK);
    glBegin(GL_POINTS);
    for (const Vec4& p : points) glVertex4f(p.x, p.y, p.z, p.w);
    glEnd();
    const GLint used = glRenderMode(GL_RENDER);
    ASSERT_EQ(used, 4 * 4);

    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(feedback[4 * i], static_cast<GLfloat>(GL_POINT_TOKEN));
        const Vec4 clip = projection.transform(view.transform(points[i]));
        const double x = (clip.x / clip.w + 1.0) * 0.5 * kW;
        const double y = (clip.y / clip.w + 1.0) * 0.5 * kH;
        EXPECT_NEAR(feedback[4 * i + 1], x, 0.01) << "point " << i;
        EXPECT_NEAR(feedback[4 * i + 2], y, 0.01) << "point " << i;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
