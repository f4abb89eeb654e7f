#include "view/camera.h"

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

void setupCamera(Scene& scene, int width, int height) {
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

    TransformStack& view = scene.viewTransform;
    view.loadIdentity();
    view.matrix.translate(0.0f, 0.0f, -kEyeDistance);
    view.matrix.translate(static_cast<float>(kPanPerPixel * panX),
                          static_cast<float>(-kPanPerPixel * panY),
                          static_cast<float>(kZoomPerStep * zoom));
    view.matrix.rotateX(angleX);
    view.matrix.rotateZ(angleZ);
    view.matrix.invert(view.inverse);
}
