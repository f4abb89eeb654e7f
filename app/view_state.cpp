#include "app/view_state.h"

float angleZ = -135.0f;
float angleX = -60.0f;
float zoom = 0.25f;
float panX = 0.0f;
float panY = 0.0f;
int mouseX = 0;
int mouseY = 0;
bool leftButtonDown = false;
bool middleButtonDown = false;
bool rightButtonDown = false;
bool useOpenGL = true;

void resetViewState() {
    angleZ = -135.0f;
    angleX = -60.0f;
    zoom = 0.25f;
    panX = 0.0f;
    panY = 0.0f;
    mouseX = 0;
    mouseY = 0;
    leftButtonDown = false;
    middleButtonDown = false;
    rightButtonDown = false;
    useOpenGL = true;
}
