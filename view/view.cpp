#include "view/view.h"

#include "view/view_state.h"

void applyView(const View& view) {
    resetViewState();
    angleZ = view.angleZ;
    angleX = view.angleX;
    zoom = view.zoom;
    panX = view.panX;
    panY = view.panY;
}
