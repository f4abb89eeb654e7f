// TEMPORARY placeholder body so the tree links while the camera is written.
#include "app/camera.h"
void setupCamera(Scene&, int, int) {}
