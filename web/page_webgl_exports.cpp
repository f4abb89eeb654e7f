// The scene for the page's WebGL picture, handed to its JavaScript.
#include "web/page_webgl_scene.h"

namespace {
WebglScene scene;
}

extern "C" {

// Builds the scene of a view at a frame size (numbers taken as floats, as
// the tools take them); returns the number of triangle corners.
int rw_webgl_scene(double angleZ, double angleX, double zoom, double panX, double panY, int width,
                   int height) {
    View view;
    view.angleZ = static_cast<float>(angleZ);
    view.angleX = static_cast<float>(angleX);
    view.zoom = static_cast<float>(zoom);
    view.panX = static_cast<float>(panX);
    view.panY = static_cast<float>(panY);
    scene = buildWebglScene(view, width, height);
    return static_cast<int>(scene.vertices.size() / kWebglVertexFloats);
}

float* rw_webgl_vertices() {
    return scene.vertices.data();
}

float* rw_webgl_uniforms() {
    return scene.uniforms.data();
}

int rw_webgl_light_count() {
    return scene.lightCount;
}

}  // extern "C"
