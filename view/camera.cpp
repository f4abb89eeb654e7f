#include "view/camera.h"

#include "scene/default_scene.h"
#include "view/view_state.h"

namespace {
// Half-extent of the narrower side of the view at unit distance.
constexpr float kHalfExtent = 0.4f;
constexpr float kNear = 0.1f;
constexpr float kFar = 10.0f;
constexpr float kEyeDistance = 3.0f;
constexpr double kPanPerPixel = 0.01;
constexpr double kZoomPerStep = 0.25;
}  // namespace

void setupCamera(Scene& scene, const View& view, int width, int height) {
    const double k = kHalfExtent;
    double xExtent = k;
    double yExtent = k;
    if (width >= height) {
        xExtent = k * width / height;
    } else {
        yExtent = k * height / width;
    }

    TransformStack& projection = scene.projectionTransform;
    projection.loadIdentity();
    projection.matrix.perspective(static_cast<float>(xExtent), static_cast<float>(yExtent), kNear,
                                  kFar);
    projection.matrix.invert(projection.inverse);

    TransformStack& viewTransform = scene.viewTransform;
    viewTransform.loadIdentity();
    viewTransform.matrix.translate(0.0f, 0.0f, -kEyeDistance);
    viewTransform.matrix.translate(static_cast<float>(kPanPerPixel * view.panX),
                                   static_cast<float>(-kPanPerPixel * view.panY),
                                   static_cast<float>(kZoomPerStep * view.zoom));
    viewTransform.matrix.rotateX(view.angleX);
    viewTransform.matrix.rotateZ(view.angleZ);
    viewTransform.matrix.invert(viewTransform.inverse);
}

void setupCamera(Scene& scene, int width, int height) {
    setupCamera(scene, View{angleZ, angleX, zoom, panX, panY}, width, height);
}

Scene defaultSceneSeenFrom(const View& view, int width, int height) {
    // The scene never changes, only the camera: built once, copied each time
    // (a copy costs a fraction of the sines and cosines of a build).
    static const Scene built = [] {
        Scene scene;
        buildDefaultScene(scene);
        return scene;
    }();
    Scene scene = built;
    setupCamera(scene, view, width, height);
    return scene;
}
