#pragma once

#include "view/view_state.h"

// A copy of every view-state global, taken at one moment, so a test can
// compare the state before and after a call.
struct ViewStateCopy {
    float angleZ, angleX, zoom, panX, panY;
    int mouseX, mouseY;
    bool left, middle, right, useOpenGL;

    static ViewStateCopy take() {
        return {::angleZ,
                ::angleX,
                ::zoom,
                ::panX,
                ::panY,
                ::mouseX,
                ::mouseY,
                ::leftButtonDown,
                ::middleButtonDown,
                ::rightButtonDown,
                ::useOpenGL};
    }
};
