// The GLUT callbacks against a recording stand-in for GLUT and OpenGL: what
// each input does to the view state, which inputs request a redraw, and what
// a frame consists of.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "fake_glut.h"
#include "view/view_state.h"
#include "view_state_copy.h"

namespace {

using Calls = std::vector<std::string>;

// A callback that ended the process by mistake would end the test program
// with status 0, which reads as success; while the tests run, such an exit
// is turned into a failure.
bool exitAllowed = false;

class ExitGuard : public ::testing::Environment {
  public:
    void SetUp() override {
        armed = true;
        std::atexit(&ExitGuard::onExit);
    }
    void TearDown() override { armed = false; }

  private:
    static void onExit() {
        if (!armed || exitAllowed) return;
        std::fputs("the process was ended in the middle of a test\n", stderr);
        std::_Exit(86);
    }
    static bool armed;
};
bool ExitGuard::armed = false;
::testing::Environment* const kExitGuard = ::testing::AddGlobalTestEnvironment(new ExitGuard);

const Calls kRedrawRequest = {"glutIdleFunc(idle)"};

void expectSameView(const ViewStateCopy& a, const ViewStateCopy& b) {
    EXPECT_EQ(a.angleZ, b.angleZ);
    EXPECT_EQ(a.angleX, b.angleX);
    EXPECT_EQ(a.zoom, b.zoom);
    EXPECT_EQ(a.panX, b.panX);
    EXPECT_EQ(a.panY, b.panY);
    EXPECT_EQ(a.mouseX, b.mouseX);
    EXPECT_EQ(a.mouseY, b.mouseY);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.middle, b.middle);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(a.useOpenGL, b.useOpenGL);
}

Calls frameCalls(int width, int height) {
    const std::string size = std::to_string(width) + "," + std::to_string(height);
    return {"glGetIntegerv(GL_VIEWPORT)",
            "glClearColor(1,1,1,1)",
            "glClear(0x4100)",
            "glMatrixMode(GL_PROJECTION)",
            "glLoadIdentity",
            "glOrtho(0," + std::to_string(width) + ",0," + std::to_string(height) + ",0,-1)",
            "glMatrixMode(GL_MODELVIEW)",
            "glLoadIdentity",
            "setupCamera(scene," + size + ")",
            "renderScene(scene," + size + ")",
            "glutSwapBuffers"};
}

class CallbacksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetViewState();
        fake::reset();
    }
    void TearDown() override { resetViewState(); }
};

// Keyboard.

TEST_F(CallbacksTest, GSwitchesRendererAndRedrawsEachTime) {
    ASSERT_TRUE(useOpenGL);
    keyboard('g', 10, 20);
    EXPECT_FALSE(useOpenGL);
    EXPECT_EQ(fake::calls, kRedrawRequest);
    EXPECT_EQ(fake::idleCallback, &idle);

    fake::calls.clear();
    keyboard('g', 0, 0);
    EXPECT_TRUE(useOpenGL);
    EXPECT_EQ(fake::calls, kRedrawRequest);
}

TEST_F(CallbacksTest, OtherKeysChangeNothingAndDrawNothing) {
    const ViewStateCopy before = ViewStateCopy::take();
    for (unsigned char key : {'G', 'Q', 'x', 'a', ' ', '0', '\r', '\t', '\0', '\x7f', '\x1a',
                              '\x1c', '\x80', '\xe7', '\xf1', '\xff'}) {
        keyboard(key, 100, 200);
        SCOPED_TRACE("key " + std::to_string(key));
        expectSameView(ViewStateCopy::take(), before);
    }
    EXPECT_TRUE(fake::calls.empty());
    EXPECT_EQ(fake::idleCallback, nullptr);
}

TEST_F(CallbacksTest, KeyPositionIsNotRecorded) {
    keyboard('g', 123, 456);
    EXPECT_EQ(mouseX, 0);
    EXPECT_EQ(mouseY, 0);
}

using CallbacksDeathTest = CallbacksTest;

TEST_F(CallbacksDeathTest, QEndsTheProcessWithStatusZero) {
    EXPECT_EXIT((exitAllowed = true, keyboard('q', 0, 0)), ::testing::ExitedWithCode(0), "");
}

TEST_F(CallbacksDeathTest, EscapeEndsTheProcessWithStatusZero) {
    EXPECT_EXIT((exitAllowed = true, keyboard(27, 5, 5)), ::testing::ExitedWithCode(0), "");
}

// Mouse buttons.

TEST_F(CallbacksTest, ButtonsTrackPressAndRelease) {
    struct Case {
        int button;
        bool* flag;
    } cases[] = {{0, &leftButtonDown}, {1, &middleButtonDown}, {2, &rightButtonDown}};
    for (const Case& c : cases) {
        SCOPED_TRACE("button " + std::to_string(c.button));
        const float zoomBefore = zoom;
        mouse(c.button, 0, 7, 8);  // GLUT_DOWN
        EXPECT_TRUE(*c.flag);
        EXPECT_EQ(mouseX, 7);
        EXPECT_EQ(mouseY, 8);
        mouse(c.button, 1, 9, 11);  // GLUT_UP
        EXPECT_FALSE(*c.flag);
        EXPECT_EQ(mouseX, 9);
        EXPECT_EQ(mouseY, 11);
        EXPECT_EQ(zoom, zoomBefore);
    }
    // Each button leaves the other flags alone.
    mouse(0, 0, 0, 0);
    mouse(2, 0, 0, 0);
    EXPECT_TRUE(leftButtonDown);
    EXPECT_FALSE(middleButtonDown);
    EXPECT_TRUE(rightButtonDown);
    EXPECT_EQ(fake::count("glutIdleFunc(idle)"), 8);
    EXPECT_EQ(fake::count("glutSwapBuffers"), 0);
}

TEST_F(CallbacksTest, WheelZoomsOnPressAndOnReleaseAndMayGoNegative) {
    mouse(3, 0, 1, 2);
    EXPECT_EQ(zoom, 1.25f);
    mouse(3, 1, 1, 2);
    EXPECT_EQ(zoom, 2.25f);
    for (int i = 0; i < 5; ++i) mouse(4, i % 2, 3, 4);
    EXPECT_EQ(zoom, -2.75f);
    EXPECT_EQ(mouseX, 3);
    EXPECT_EQ(mouseY, 4);
    EXPECT_FALSE(leftButtonDown);
    EXPECT_FALSE(middleButtonDown);
    EXPECT_FALSE(rightButtonDown);
    EXPECT_EQ(fake::calls, Calls(7, "glutIdleFunc(idle)"));
}

TEST_F(CallbacksTest, UnknownButtonsOnlyRecordPositionAndRedraw) {
    int x = 10;
    for (int button : {5, 6, 7, 100, -1}) {
        for (int state : {0, 1}) {
            SCOPED_TRACE("button " + std::to_string(button));
            ViewStateCopy expected = ViewStateCopy::take();
            expected.mouseX = x;
            expected.mouseY = -x;
            fake::calls.clear();
            mouse(button, state, x, -x);
            expectSameView(ViewStateCopy::take(), expected);
            EXPECT_EQ(fake::calls, kRedrawRequest);
            ++x;
        }
    }
}

// Dragging.

TEST_F(CallbacksTest, LeftDragTurnsByOneDegreePerPixel) {
    mouse(0, 0, 100, 100);
    motion(130, 90);
    EXPECT_EQ(angleZ, -105.0f);
    EXPECT_EQ(angleX, -70.0f);
    motion(100, 100);
    EXPECT_EQ(angleZ, -135.0f);
    EXPECT_EQ(angleX, -60.0f);
    EXPECT_EQ(panX, 0.0f);
    EXPECT_EQ(panY, 0.0f);
    EXPECT_EQ(mouseX, 100);
    EXPECT_EQ(mouseY, 100);
}

TEST_F(CallbacksTest, AnglesAreNotWrapped) {
    mouse(0, 0, 0, 0);
    motion(1000, -1000);
    EXPECT_EQ(angleZ, 865.0f);
    EXPECT_EQ(angleX, -1060.0f);
}

TEST_F(CallbacksTest, RightDragPansInPixels) {
    mouse(2, 0, 50, 60);
    motion(45, 75);
    EXPECT_EQ(panX, -5.0f);
    EXPECT_EQ(panY, 15.0f);
    EXPECT_EQ(angleZ, -135.0f);
    EXPECT_EQ(angleX, -60.0f);
}

TEST_F(CallbacksTest, LeftAndRightTogetherApplyTheSameMovementToBoth) {
    mouse(0, 0, 10, 10);
    mouse(2, 0, 10, 10);
    motion(13, 6);
    EXPECT_EQ(angleZ, -132.0f);
    EXPECT_EQ(angleX, -64.0f);
    EXPECT_EQ(panX, 3.0f);
    EXPECT_EQ(panY, -4.0f);

    // Releasing the right button leaves only the turn.
    mouse(2, 1, 13, 6);
    motion(14, 6);
    EXPECT_EQ(angleZ, -131.0f);
    EXPECT_EQ(panX, 3.0f);
}

TEST_F(CallbacksTest, MiddleDragOnlyMovesTheStoredPositionButStillRedraws) {
    mouse(1, 0, 20, 20);
    ViewStateCopy expected = ViewStateCopy::take();
    fake::calls.clear();
    motion(80, -40);
    expected.mouseX = 80;
    expected.mouseY = -40;
    expectSameView(ViewStateCopy::take(), expected);
    EXPECT_EQ(fake::calls, kRedrawRequest);
}

TEST_F(CallbacksTest, MotionWithoutButtonsOnlyMovesTheStoredPosition) {
    ViewStateCopy expected = ViewStateCopy::take();
    motion(5, 6);
    expected.mouseX = 5;
    expected.mouseY = 6;
    expectSameView(ViewStateCopy::take(), expected);
    EXPECT_EQ(fake::calls, kRedrawRequest);
}

TEST_F(CallbacksTest, MovementIsMeasuredFromTheLastReportedPosition) {
    // A wheel event also moves the reference point of the next drag.
    mouse(0, 0, 0, 0);
    mouse(3, 0, 50, 50);
    motion(52, 49);
    EXPECT_EQ(angleZ, -133.0f);
    EXPECT_EQ(angleX, -61.0f);
}

TEST_F(CallbacksTest, ExtremePointerJumpsDoNotOverflow) {
    mouse(0, 0, INT_MIN, INT_MAX);
    mouse(2, 0, INT_MIN, INT_MAX);
    motion(INT_MAX, INT_MIN);
    // 2^32 - 1 pixels, rounded to float.
    EXPECT_EQ(angleZ, static_cast<float>(-135.0 + 4294967295.0));
    EXPECT_EQ(angleX, static_cast<float>(-60.0 - 4294967295.0));
    EXPECT_EQ(panX, 4294967296.0f);
    EXPECT_EQ(panY, -4294967296.0f);
}

// Window size.

TEST_F(CallbacksTest, ReshapeSetsTheViewportWithoutRedrawing) {
    reshape(640, 360);
    EXPECT_EQ(fake::calls, Calls{"glViewport(0,0,640,360)"});
}

TEST_F(CallbacksTest, ZeroSizedReshapeIsIgnored) {
    reshape(0, 360);
    reshape(640, 0);
    reshape(0, 0);
    EXPECT_TRUE(fake::calls.empty());
}

// Drawing.

TEST_F(CallbacksTest, DisplayDrawsOneFrameAtTheViewportSize) {
    fake::viewport[0] = 3;  // the origin does not enter the frame size
    fake::viewport[1] = 4;
    fake::viewport[2] = 640;
    fake::viewport[3] = 360;
    const ViewStateCopy before = ViewStateCopy::take();
    display();
    EXPECT_EQ(fake::calls, frameCalls(640, 360));
    expectSameView(ViewStateCopy::take(), before);
    EXPECT_EQ(fake::idleCallback, nullptr);

    fake::calls.clear();
    fake::viewport[2] = 1;
    fake::viewport[3] = 2000;
    display();
    EXPECT_EQ(fake::calls, frameCalls(1, 2000));
}

TEST_F(CallbacksTest, IdleDrawsOnceAndUnregistersItself) {
    requestRedraw();
    ASSERT_EQ(fake::idleCallback, &idle);
    fake::calls.clear();
    idle();
    Calls expected = frameCalls(480, 480);
    expected.push_back("glutIdleFunc(NULL)");
    EXPECT_EQ(fake::calls, expected);
    EXPECT_EQ(fake::idleCallback, nullptr);
}

TEST_F(CallbacksTest, ABurstOfInputGivesOneFrameAtTheNextIdlePass) {
    mouse(0, 0, 100, 100);
    for (int i = 1; i <= 20; ++i) motion(100 + i, 100 - i);
    mouse(3, 0, 120, 80);
    mouse(0, 1, 120, 80);
    keyboard('g', 0, 0);
    EXPECT_EQ(fake::count("glutSwapBuffers"), 0);
    EXPECT_EQ(fake::count("glutIdleFunc(idle)"), 24);
    EXPECT_EQ(fake::calls.size(), 24u);

    // What the main loop does next: call the registered idle callback while
    // there is one.
    int passes = 0;
    while (fake::idleCallback != nullptr && passes < 10) {
        fake::idleCallback();
        ++passes;
    }
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(fake::count("glutSwapBuffers"), 1);
    EXPECT_EQ(angleZ, -115.0f);
    EXPECT_EQ(angleX, -80.0f);
    EXPECT_EQ(zoom, 1.25f);
    EXPECT_FALSE(useOpenGL);
}

}  // namespace

// Each test runs in a process of its own: here nothing has touched the
// viewer's scene, which static initialisation constructed empty.
TEST(ViewerScene, IsConstructedEmptyBeforeMain) {
    EXPECT_TRUE(viewerScene.objects.empty());
    EXPECT_TRUE(viewerScene.lights.empty());
    EXPECT_EQ(viewerScene.currentMaterial.diffuse.r, 1.0f);
    EXPECT_EQ(viewerScene.ambient.r, 0.0f);
    EXPECT_EQ(viewerScene.modelTransform.matrix.m[0], 1.0);
    EXPECT_EQ(viewerScene.modelTransform.matrix.m[1], 0.0);
}
