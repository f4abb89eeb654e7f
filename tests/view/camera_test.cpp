// Camera set-up: the projection and view transforms and their inverses as
// built from the view state and the frame size.
#include <gtest/gtest.h>

#include <cmath>

#include "math/matrix4.h"
#include "matrix_testing.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "view/view.h"
#include "view/view_state.h"

namespace {

constexpr double kK = 0.4f;  // the float 0.4 widened: 0.4000000059604645

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override { resetViewState(); }
    void TearDown() override { resetViewState(); }

    void setView(float az, float ax, float z, float px, float py) {
        angleZ = az;
        angleX = ax;
        zoom = z;
        panX = px;
        panY = py;
    }

    Scene scene;
};

double radiansOf(float degrees) {
    return static_cast<float>(static_cast<double>(degrees) * 0.01745327777777778);
}

// Elements of the projection that do not depend on the aspect ratio.
void expectDepthRows(const Matrix4& p) {
    const double n = 0.1f, f = 10.0f;
    EXPECT_EQ(p.at(2, 2), -((n + f) / (f - n)));
    EXPECT_EQ(p.at(2, 3), (n * f * -2.0) / (f - n));
    EXPECT_EQ(p.at(3, 2), -1.0);
    EXPECT_EQ(p.at(3, 3), 0.0);
    EXPECT_EQ(p.at(0, 2), 0.0);
    EXPECT_EQ(p.at(1, 2), 0.0);
    EXPECT_EQ(p.at(0, 3), 0.0);
    EXPECT_EQ(p.at(1, 3), 0.0);
}

TEST_F(CameraTest, SquareViewportSeesHalfExtentPointFourBothWays) {
    setupCamera(scene, 480, 480);
    const Matrix4& p = scene.projectionTransform.matrix;
    EXPECT_EQ(p.at(0, 0), 1.0 / kK);
    EXPECT_EQ(p.at(1, 1), 1.0 / kK);
    EXPECT_NEAR(p.at(0, 0), 2.5, 1e-6);
    expectDepthRows(p);
}

TEST_F(CameraTest, WideViewportWidensXOnly) {
    setupCamera(scene, 960, 480);
    const Matrix4& p = scene.projectionTransform.matrix;
    EXPECT_EQ(p.at(0, 0), 1.0 / (2.0 * kK));
    EXPECT_EQ(p.at(1, 1), 1.0 / kK);
    expectDepthRows(p);
}

TEST_F(CameraTest, TallViewportWidensYOnly) {
    setupCamera(scene, 480, 960);
    const Matrix4& p = scene.projectionTransform.matrix;
    EXPECT_EQ(p.at(0, 0), 1.0 / kK);
    EXPECT_EQ(p.at(1, 1), 1.0 / (2.0 * kK));
    expectDepthRows(p);
}

TEST_F(CameraTest, ExtentIsFormedInDoubleFromTheFloatConstantAndRoundedToFloat) {
    // The sizes are chosen so that the usual slips show: 640 x 360 gives an
    // extent that is not a float; with 500 x 480 the double constant 0.4
    // gives another float; with 1366 x 768 float arithmetic does.
    ASSERT_NE(1.0 / static_cast<double>(static_cast<float>(kK * 640 / 360)),
              1.0 / (kK * 640 / 360));
    ASSERT_NE(static_cast<float>(kK * 500 / 480), static_cast<float>(0.4 * 500 / 480));
    ASSERT_NE(static_cast<float>(kK * 1366 / 768), 0.4f * 1366.0f / 768.0f);

    for (const auto& size : {std::pair<int, int>{640, 360}, {500, 480}, {1366, 768}}) {
        const int wide = size.first, narrow = size.second;
        const double expected = 1.0 / static_cast<double>(static_cast<float>(kK * wide / narrow));
        SCOPED_TRACE(std::to_string(wide) + " x " + std::to_string(narrow));
        setupCamera(scene, wide, narrow);
        EXPECT_EQ(scene.projectionTransform.matrix.at(0, 0), expected);
        EXPECT_EQ(scene.projectionTransform.matrix.at(1, 1), 1.0 / kK);
        setupCamera(scene, narrow, wide);
        EXPECT_EQ(scene.projectionTransform.matrix.at(0, 0), 1.0 / kK);
        EXPECT_EQ(scene.projectionTransform.matrix.at(1, 1), expected);
    }
}

TEST_F(CameraTest, ProjectionInverseUndoesProjection) {
    for (const auto& size : {std::pair<int, int>{480, 480}, {960, 480}, {480, 960}, {1, 1000}}) {
        setupCamera(scene, size.first, size.second);
        const Matrix4 product =
            scene.projectionTransform.matrix.multiply(scene.projectionTransform.inverse);
        const Matrix4 identity;
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(product.m[i], identity.m[i], 1e-12)
                << size.first << "x" << size.second << " element " << i;
        }
    }
}

TEST_F(CameraTest, ZeroViewStateIsPureTranslationThreeUnitsAway) {
    setView(0, 0, 0, 0, 0);
    setupCamera(scene, 480, 480);
    Matrix4 expected;
    expected.at(2, 3) = -3.0;
    EXPECT_TRUE(sameBits(scene.viewTransform.matrix, expected));
    Matrix4 expectedInverse;
    expectedInverse.at(2, 3) = 3.0;
    EXPECT_TRUE(sameBits(scene.viewTransform.inverse, expectedInverse));
}

TEST_F(CameraTest, InitialViewStatePutsOriginThreeUnitsLessAQuarterOfZoomAway) {
    setupCamera(scene, 480, 480);
    const Vec4 origin = scene.viewTransform.transform(Vec4{0, 0, 0, 1});
    EXPECT_FLOAT_EQ(origin.x, 0.0f);
    EXPECT_FLOAT_EQ(origin.y, 0.0f);
    EXPECT_FLOAT_EQ(origin.z, -3.0f + 0.0625f);
    EXPECT_FLOAT_EQ(origin.w, 1.0f);
}

// V = T(0, 0, -3) T(0.01 panX, -0.01 panY, 0.25 zoom) Rx(angleX) Rz(angleZ),
// written out element by element.
TEST_F(CameraTest, ViewMatrixIsTranslationsThenTiltThenTurn) {
    const float az = -128.0f, ax = -47.5f, z = 3.0f, px = 33.0f, py = -17.0f;
    // Pan products formed in float would round differently for these values.
    ASSERT_NE(static_cast<float>(0.01 * px), 0.01f * px);
    setView(az, ax, z, px, py);
    setupCamera(scene, 480, 480);

    const double cz = std::cos(radiansOf(az)), sz = std::sin(radiansOf(az));
    const double cx = std::cos(radiansOf(ax)), sx = std::sin(radiansOf(ax));
    const double tx = static_cast<float>(0.01 * px);
    const double ty = static_cast<float>(-0.01 * py);
    const double tz = static_cast<double>(static_cast<float>(0.25 * z)) + -3.0;
    const double rows[4][4] = {
        {cz, -sz, 0, tx}, {cx * sz, cx * cz, -sx, ty}, {sx * sz, sx * cz, cx, tz}, {0, 0, 0, 1}};
    Matrix4 expected;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) expected.at(i, j) = rows[i][j];
    EXPECT_TRUE(sameBits(scene.viewTransform.matrix, expected));
}

TEST_F(CameraTest, PanAndZoomMoveTheSceneTheWayTheUserDragged) {
    setView(0, 0, 0, 0, 0);
    setupCamera(scene, 480, 480);
    const Vec4 before = scene.viewTransform.transform(Vec4{0, 0, 0, 1});

    panX = 100.0f;  // dragged right
    panY = 50.0f;   // dragged down (window y grows downwards)
    zoom = 2.0f;    // two wheel steps towards the scene
    setupCamera(scene, 480, 480);
    const Vec4 after = scene.viewTransform.transform(Vec4{0, 0, 0, 1});
    EXPECT_FLOAT_EQ(after.x - before.x, 1.0f);
    EXPECT_FLOAT_EQ(after.y - before.y, -0.5f);
    EXPECT_FLOAT_EQ(after.z - before.z, 0.5f);

    zoom = -4.0f;  // negative zoom moves the camera away
    setupCamera(scene, 480, 480);
    EXPECT_FLOAT_EQ(scene.viewTransform.transform(Vec4{0, 0, 0, 1}).z, -4.0f);
}

TEST_F(CameraTest, TurnsAboutZFirstThenTiltsAboutX) {
    setView(90, 90, 0, 0, 0);
    setupCamera(scene, 480, 480);
    // x axis: turned to +y by Rz(90), then tilted to +z by Rx(90).
    const Vec4 x = scene.viewTransform.transform(Vec4{1, 0, 0, 0});
    EXPECT_NEAR(x.x, 0.0, 1e-5);
    EXPECT_NEAR(x.y, 0.0, 1e-5);
    EXPECT_NEAR(x.z, 1.0, 1e-5);
}

TEST_F(CameraTest, RebuildsFromScratchOnEveryCall) {
    setView(-100, 20, 1.5f, 12, -7);
    setupCamera(scene, 640, 400);
    const TransformStack view = scene.viewTransform;
    const TransformStack projection = scene.projectionTransform;

    setupCamera(scene, 640, 400);
    EXPECT_TRUE(sameBits(scene.viewTransform.matrix, view.matrix));
    EXPECT_TRUE(sameBits(scene.viewTransform.inverse, view.inverse));
    EXPECT_TRUE(sameBits(scene.projectionTransform.matrix, projection.matrix));
    EXPECT_TRUE(sameBits(scene.projectionTransform.inverse, projection.inverse));

    // A different frame in between, and leftovers on the stacks, change nothing.
    setView(10, 10, -3, 0, 0);
    setupCamera(scene, 300, 900);
    scene.viewTransform.pushMatrix();
    scene.viewTransform.matrix.translate(5, 5, 5);
    scene.projectionTransform.pushMatrix();
    setView(-100, 20, 1.5f, 12, -7);
    setupCamera(scene, 640, 400);
    EXPECT_TRUE(sameBits(scene.viewTransform.matrix, view.matrix));
    EXPECT_TRUE(sameBits(scene.viewTransform.inverse, view.inverse));
    EXPECT_TRUE(sameBits(scene.projectionTransform.matrix, projection.matrix));
    EXPECT_TRUE(scene.viewTransform.saved.empty());
    EXPECT_TRUE(scene.projectionTransform.saved.empty());
}

TEST_F(CameraTest, LeavesModelTransformAlone) {
    scene.modelTransform.matrix.translate(1, 2, 3);
    scene.modelTransform.pushMatrix();
    const TransformStack model = scene.modelTransform;
    setupCamera(scene, 480, 480);
    EXPECT_TRUE(sameBits(scene.modelTransform.matrix, model.matrix));
    EXPECT_TRUE(sameBits(scene.modelTransform.inverse, model.inverse));
    EXPECT_EQ(scene.modelTransform.saved.size(), 1u);
}

TEST_F(CameraTest, ViewTimesInverseIsIdentityOverManyViewStates) {
    const Matrix4 identity;
    int checked = 0;
    for (float az = -720.0f; az <= 720.0f; az += 97.0f) {
        for (float ax = -180.0f; ax <= 180.0f; ax += 41.0f) {
            for (float z : {-20.0f, -1.0f, 0.0f, 0.25f, 7.0f, 11.0f}) {
                for (float pan : {-500.0f, 0.0f, 123.0f}) {
                    setView(az, ax, z, pan, -pan / 2);
                    setupCamera(scene, 480, 480);
                    const Matrix4 product =
                        scene.viewTransform.matrix.multiply(scene.viewTransform.inverse);
                    for (int i = 0; i < 16; ++i) {
                        ASSERT_NEAR(product.m[i], identity.m[i], 1e-12)
                            << "angleZ " << az << " angleX " << ax << " zoom " << z << " pan "
                            << pan << " element " << i;
                    }
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

// The camera of a View is the camera of the same view put into the view
// state, to the bit, and the view state is not read or changed.
TEST_F(CameraTest, AViewGivesTheCameraOfTheSameViewState) {
    const struct {
        View view;
        int width, height;
    } frames[] = {
        {View{}, 480, 480},
        {View{90.0f, -30.0f, 0.25f, 0.0f, 0.0f}, 640, 400},
        {View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f}, 64, 48},
        {View{-720.0f, 180.0f, -20.0f, -500.0f, 250.0f}, 300, 900},
    };
    for (const auto& f : frames) {
        setView(f.view.angleZ, f.view.angleX, f.view.zoom, f.view.panX, f.view.panY);
        setupCamera(scene, f.width, f.height);
        const Scene fromState = scene;

        setView(1.0f, 2.0f, 3.0f, 4.0f, 5.0f);
        setupCamera(scene, f.view, f.width, f.height);
        EXPECT_TRUE(sameBits(scene.viewTransform.matrix, fromState.viewTransform.matrix));
        EXPECT_TRUE(sameBits(scene.viewTransform.inverse, fromState.viewTransform.inverse));
        EXPECT_TRUE(
            sameBits(scene.projectionTransform.matrix, fromState.projectionTransform.matrix));
        EXPECT_TRUE(
            sameBits(scene.projectionTransform.inverse, fromState.projectionTransform.inverse));
        EXPECT_EQ(angleZ, 1.0f);
        EXPECT_EQ(panY, 5.0f);
    }
}

}  // namespace
