#include "raster/plain/project_vertex.h"

Vec4 toClipSpace(const Scene& scene, const Vec4& world) {
    return toClipSpace(scene.viewTransform.matrix, scene.projectionTransform.matrix, world);
}

Vec4 toClipSpace(const Matrix4& view, const Matrix4& projection, const Vec4& world) {
    const Vec4 eye = view.transform(world);
    return projection.transform(eye);
}

Vec4 projectToScreen(const Vec4& clip, int width, int height) {
    const double r = 1.0 / static_cast<double>(clip.w);
    const float nx = static_cast<float>(static_cast<double>(clip.x) * r);
    const float ny = static_cast<float>(static_cast<double>(clip.y) * r);
    const float nz = static_cast<float>(static_cast<double>(clip.z) * r);
    Vec4 screen;
    screen.x =
        static_cast<float>((static_cast<double>(nx) + 1.0) * static_cast<double>(width) * 0.5);
    screen.y =
        static_cast<float>((static_cast<double>(ny) + 1.0) * static_cast<double>(height) * 0.5);
    screen.z = nz;
    screen.w = 1.0f;
    return screen;
}
