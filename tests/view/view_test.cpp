// The View value and applyView against the view state's start-up values.
#include <gtest/gtest.h>

#include "bit_testing.h"
#include "view/view.h"
#include "view/view_state.h"
#include "view_state_copy.h"

namespace {

// Floats compared bit for bit, so -0.0 differs from 0.0.
bool operator==(const ViewStateCopy& a, const ViewStateCopy& o) {
    return floatBits(a.angleZ) == floatBits(o.angleZ) &&
           floatBits(a.angleX) == floatBits(o.angleX) && floatBits(a.zoom) == floatBits(o.zoom) &&
           floatBits(a.panX) == floatBits(o.panX) && floatBits(a.panY) == floatBits(o.panY) &&
           a.mouseX == o.mouseX && a.mouseY == o.mouseY && a.left == o.left &&
           a.middle == o.middle && a.right == o.right && a.useOpenGL == o.useOpenGL;
}

void scribbleOverViewState() {
    angleZ = 1.0f;
    angleX = 2.0f;
    zoom = 3.0f;
    panX = 4.0f;
    panY = 5.0f;
    mouseX = 6;
    mouseY = 7;
    leftButtonDown = middleButtonDown = rightButtonDown = true;
    useOpenGL = false;
}

TEST(View, ApplyingSetsTheFiveViewFieldsAndPutsTheRestBackToStartUp) {
    resetViewState();
    const ViewStateCopy start = ViewStateCopy::take();
    const View views[] = {View{}, View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f},
                          View{0.0f, -0.0f, -6.0f, -300.0f, 1e30f}};
    for (const View& view : views) {
        scribbleOverViewState();
        applyView(view);
        ViewStateCopy expected = start;
        expected.angleZ = view.angleZ;
        expected.angleX = view.angleX;
        expected.zoom = view.zoom;
        expected.panX = view.panX;
        expected.panY = view.panY;
        const ViewStateCopy got = ViewStateCopy::take();
        EXPECT_TRUE(got == expected) << view.angleZ << " " << view.zoom;
    }
    // The default View is the view the viewer starts with.
    scribbleOverViewState();
    applyView(View{});
    const ViewStateCopy fromDefault = ViewStateCopy::take();
    EXPECT_TRUE(fromDefault == start);
    resetViewState();
}

}  // namespace
