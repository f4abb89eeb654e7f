#include "gl/render_opengl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "gl/matrix_handover.h"
#include "gl_window.h"
#include "scene/default_scene.h"
#include "stdout_capture.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace {

constexpr int kSize = 480;

std::string renderCapturingStdout(Scene& scene, int width, int height) {
    return captureStdout([&] { renderOpenGL(scene, width, height); });
}

// The default scene seen by the default camera, as the viewer's first frame.
struct DefaultFrame : ::testing::Test {
    Scene scene;
    void SetUp() override {
        resetViewState();
        buildDefaultScene(scene);
        setupCamera(scene, kSize, kSize);
        glwindow::beginFrame(kSize, kSize);
        // Frames never disable a light; start every test with all of them off.
        GLint maxLights = 0;
        glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
        for (GLint i = 0; i < maxLights; ++i) glDisable(GL_LIGHT0 + i);
        glwindow::drainErrors();
    }
};

// "ERROR: 0x" and a code among `codes` in lower-case hex without leading
// zeros.
bool isErrorLine(const std::string& line, std::initializer_list<GLenum> codes) {
    for (GLenum code : codes) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "ERROR: 0x%x", code);
        if (line == expected) return true;
    }
    return false;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

// ---- error report --------------------------------------------------------

TEST_F(DefaultFrame, NoPendingErrorPrintsNothing) {
    EXPECT_EQ(renderCapturingStdout(scene, kSize, kSize), "");
    // The frame itself raises no error, so the next one prints nothing either.
    EXPECT_EQ(renderCapturingStdout(scene, kSize, kSize), "");
}

TEST_F(DefaultFrame, EachPendingErrorIsPrintedAsOneLine) {
    struct Case {
        const char* what;
        void (*provoke)();
        const char* expected;
    };
    const Case cases[] = {
        {"unknown capability", [] { glEnable(0xFFFF); }, "ERROR: 0x500\n"},
        {"unknown matrix mode", [] { glMatrixMode(0); }, "ERROR: 0x500\n"},
        {"negative viewport", [] { glViewport(0, 0, -1, 5); }, "ERROR: 0x501\n"},
        {"pop of an empty stack",
         [] {
             glMatrixMode(GL_TEXTURE);
             glPopMatrix();
             glMatrixMode(GL_MODELVIEW);
         },
         "ERROR: 0x504\n"},
    };
    for (const Case& c : cases) {
        glwindow::drainErrors();
        c.provoke();
        EXPECT_EQ(renderCapturingStdout(scene, kSize, kSize), c.expected) << c.what;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.what;
    }
}

TEST_F(DefaultFrame, SeveralPendingErrorsAreAllReportedAndDrained) {
    glViewport(0, 0, -1, 5);  // 0x501
    glEnable(0xFFFF);         // 0x500
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();  // 0x504
    glMatrixMode(GL_MODELVIEW);
    const std::vector<std::string> printed = lines(renderCapturingStdout(scene, kSize, kSize));
    // An implementation may keep only the first of several errors (Mesa
    // does); whatever it keeps is printed, oldest first, and nothing else.
    ASSERT_GE(printed.size(), 1u);
    ASSERT_LE(printed.size(), 3u);
    EXPECT_EQ(printed[0], "ERROR: 0x501");
    for (const std::string& line : printed) {
        EXPECT_TRUE(isErrorLine(line, {GL_INVALID_ENUM, GL_INVALID_VALUE, GL_STACK_UNDERFLOW}))
            << line;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(renderCapturingStdout(scene, kSize, kSize), "");
}

TEST_F(DefaultFrame, LightsPastThePlatformLimitArePassedOnAndReportedNextFrame) {
    GLint maxLights = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    ASSERT_GT(maxLights, 0);
    const Light first = scene.lights[0];
    while (static_cast<GLint>(scene.lights.size()) <= maxLights) {
        scene.addLight(first.position, Color(0.01f, 0.01f, 0.01f, 1.0f));
    }
    EXPECT_EQ(renderCapturingStdout(scene, kSize, kSize), "");
    for (GLint i = 0; i < maxLights; ++i) EXPECT_TRUE(glIsEnabled(GL_LIGHT0 + i)) << i;
    const std::vector<std::string> printed = lines(renderCapturingStdout(scene, kSize, kSize));
    ASSERT_FALSE(printed.empty());
    for (const std::string& line : printed) EXPECT_EQ(line, "ERROR: 0x500");
}

// ---- state left behind ---------------------------------------------------

void expectMatrix(GLenum which, const Matrix4& m) {
    float expected[16];
    toColumnMajorFloats(m, expected);
    GLfloat actual[16];
    glGetFloatv(which, actual);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(actual[i], expected[i]) << "element " << i;
}

void expectColor(GLenum target, GLenum name, const Color& c, bool material = false) {
    GLfloat v[4];
    if (material) {
        glGetMaterialfv(target, name, v);
    } else {
        glGetLightfv(target, name, v);
    }
    EXPECT_EQ(v[0], c.r);
    EXPECT_EQ(v[1], c.g);
    EXPECT_EQ(v[2], c.b);
    EXPECT_EQ(v[3], c.a);
}

TEST_F(DefaultFrame, LeavesTheStateTheNextFrameRelyOn) {
    renderOpenGL(scene, kSize, kSize);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    expectMatrix(GL_PROJECTION_MATRIX, scene.projectionTransform.matrix);
    expectMatrix(GL_MODELVIEW_MATRIX, scene.viewTransform.matrix);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DefaultFrame, SetsLightsAndTheLastObjectsMaterial) {
    renderOpenGL(scene, kSize, kSize);
    GLfloat ambient[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    EXPECT_EQ(ambient[0], 0.4f);
    EXPECT_EQ(ambient[1], 0.4f);
    EXPECT_EQ(ambient[2], 0.4f);
    EXPECT_EQ(ambient[3], 1.0f);
    for (std::size_t i = 0; i < scene.lights.size(); ++i) {
        const GLenum light = GL_LIGHT0 + static_cast<GLenum>(i);
        EXPECT_TRUE(glIsEnabled(light)) << i;
        expectColor(light, GL_DIFFUSE, scene.lights[i].color);
        expectColor(light, GL_SPECULAR, scene.lights[i].color);
        // The ambient of a light keeps its default, black.
        expectColor(light, GL_AMBIENT, Color(0.0f, 0.0f, 0.0f, 1.0f));
    }
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + static_cast<GLenum>(scene.lights.size())));

    const Material& last = scene.objects.back().material;
    expectColor(GL_FRONT, GL_AMBIENT, scene.ambient, true);
    expectColor(GL_FRONT, GL_DIFFUSE, last.diffuse, true);
    expectColor(GL_FRONT, GL_SPECULAR, last.specular, true);
    GLfloat shininess = -1.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, static_cast<float>(last.shininess));
}

TEST_F(DefaultFrame, MaterialColoursAboveOneAreNotClamped) {
    // Object 1's specular colour is 1.5 in every component; render a scene
    // whose last object is that one.
    scene.objects.resize(2);
    renderOpenGL(scene, kSize, kSize);
    expectColor(GL_FRONT, GL_SPECULAR, Color(1.5f, 1.5f, 1.5f, 1.0f), true);
    GLfloat shininess = 0.0f;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_EQ(shininess, 120.0f);
}

// Light directions are given while the model-view holds the view, so OpenGL
// keeps them in eye space as view * (x, y, z, 0): fixed in world space however
// the camera turns.
TEST_F(DefaultFrame, LightDirectionsStayFixedInWorldSpace) {
    for (float turn : {0.0f, 40.0f, -170.0f}) {
        angleZ = -135.0f + turn;
        angleX = -60.0f + turn / 2;
        setupCamera(scene, kSize, kSize);
        renderOpenGL(scene, kSize, kSize);
        const Matrix4& view = scene.viewTransform.matrix;
        for (std::size_t i = 0; i < scene.lights.size(); ++i) {
            const Vec3& p = scene.lights[i].position;
            GLfloat eye[4];
            glGetLightfv(GL_LIGHT0 + static_cast<GLenum>(i), GL_POSITION, eye);
            for (int row = 0; row < 3; ++row) {
                const double expected =
                    view.at(row, 0) * p.x + view.at(row, 1) * p.y + view.at(row, 2) * p.z;
                EXPECT_NEAR(eye[row], expected, 1e-4 * std::fabs(expected) + 1e-4)
                    << "light " << i << " row " << row << " turn " << turn;
            }
            EXPECT_EQ(eye[3], 0.0f) << "light " << i << " must be a direction";
        }
    }
}

// ---- current colour ------------------------------------------------------

void expectCurrentColor(float r, float g, float b) {
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_EQ(c[0], r);
    EXPECT_EQ(c[1], g);
    EXPECT_EQ(c[2], b);
    EXPECT_EQ(c[3], 1.0f);
}

TEST_F(DefaultFrame, LeavesTheLastFacesColourAndLastVertexAttributesCurrent) {
    Vertex& lastVertex = scene.objects.back().faces.back().vertices.back();
    lastVertex.texCoord[0] = 0.25f;
    lastVertex.texCoord[1] = 0.75f;
    renderOpenGL(scene, kSize, kSize);
    GLfloat v[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, v);
    EXPECT_EQ(v[0], 0.25f);
    EXPECT_EQ(v[1], 0.75f);
    glGetFloatv(GL_CURRENT_NORMAL, v);
    EXPECT_EQ(v[0], lastVertex.normal.x);
    EXPECT_EQ(v[1], lastVertex.normal.y);
    EXPECT_EQ(v[2], lastVertex.normal.z);
    const SceneObject& object = scene.objects.back();
    const float factor =
        std::fabs(dot3(object.faces.back().vertices[0].normal, scene.lights[0].position));
    ASSERT_GT(factor, 0.0f);
    expectCurrentColor(object.material.diffuse.r * factor, object.material.diffuse.g * factor,
                       object.material.diffuse.b * factor);
}

TEST_F(DefaultFrame, FaceColourUsesTheFirstVertexAndTheFirstLight) {
    Scene one;
    one.addLight(Vec3{0.0f, 0.0f, -2.0f}, Color(0.5f, 0.5f, 0.5f, 1.0f));
    one.addLight(Vec3{3.0f, 0.0f, 0.0f}, Color(0.5f, 0.5f, 0.5f, 1.0f));
    one.currentMaterial.diffuse = Color(0.25f, 0.5f, 1.0f, 1.0f);
    one.beginObject();
    one.beginFace();
    one.setNormal(Vec3{0.0f, 0.6f, 0.8f});
    one.addVertex(Vec4{0.0f, 0.0f, 0.0f, 1.0f});
    one.setNormal(Vec3{1.0f, 0.0f, 0.0f});
    one.addVertex(Vec4{1.0f, 0.0f, 0.0f, 1.0f});
    one.addVertex(Vec4{0.0f, 1.0f, 0.0f, 1.0f});
    renderOpenGL(one, kSize, kSize);
    // First vertex with the first light: |(0, 0.6, 0.8) . (0, 0, -2)| = 1.6,
    // sign dropped; the other pairings would give 0 or 3.
    const float factor =
        std::fabs(dot3(one.objects[0].faces[0].vertices[0].normal, one.lights[0].position));
    ASSERT_NEAR(factor, 1.6f, 1e-6f);
    expectCurrentColor(0.25f * factor, 0.5f * factor, 1.0f * factor);
}

TEST_F(DefaultFrame, ColourStaysYellowWithoutFacesOrLights) {
    Scene noObjects;
    noObjects.addLight(Vec3{1.0f, 0.0f, 0.0f}, Color(1.0f, 1.0f, 1.0f, 1.0f));
    glColor3f(0.1f, 0.2f, 0.3f);
    renderOpenGL(noObjects, kSize, kSize);
    expectCurrentColor(1.0f, 1.0f, 0.0f);

    Scene noLights = scene;
    noLights.lights.clear();
    glColor3f(0.1f, 0.2f, 0.3f);
    renderOpenGL(noLights, kSize, kSize);
    expectCurrentColor(1.0f, 1.0f, 0.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DefaultFrame, AnEmptyFaceKeepsThePreviousFacesColour) {
    Scene withEmpty = scene;
    withEmpty.objects.resize(1);
    withEmpty.objects[0].faces.resize(1);
    withEmpty.beginFace();  // empty, last
    renderOpenGL(withEmpty, kSize, kSize);
    const SceneObject& object = withEmpty.objects[0];
    const float factor =
        std::fabs(dot3(object.faces[0].vertices[0].normal, withEmpty.lights[0].position));
    expectCurrentColor(object.material.diffuse.r * factor, object.material.diffuse.g * factor,
                       object.material.diffuse.b * factor);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
