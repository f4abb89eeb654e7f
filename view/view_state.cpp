#include "view/view_state.h"

namespace {
constexpr View kStartView{};
}  // namespace

float angleZ = kStartView.angleZ;
float angleX = kStartView.angleX;
float zoom = kStartView.zoom;
float panX = kStartView.panX;
float panY = kStartView.panY;
int mouseX = 0;
int mouseY = 0;
bool leftButtonDown = false;
bool middleButtonDown = false;
bool rightButtonDown = false;
bool useOpenGL = true;

void resetViewState() {
    angleZ = kStartView.angleZ;
    angleX = kStartView.angleX;
    zoom = kStartView.zoom;
    panX = kStartView.panX;
    panY = kStartView.panY;
    mouseX = 0;
    mouseY = 0;
    leftButtonDown = false;
    middleButtonDown = false;
    rightButtonDown = false;
    useOpenGL = true;
}

void applyView(const View& view) {
    resetViewState();
    angleZ = view.angleZ;
    angleX = view.angleX;
    zoom = view.zoom;
    panX = view.panX;
    panY = view.panY;
}
