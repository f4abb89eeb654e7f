#include "scene_rendering.h"

#include <sstream>

#include "raster/buffers/viewer_buffers.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene/default_scene.h"
#include "view/camera.h"

std::string describe(const View& view) {
    std::ostringstream out;
    out << "angleZ " << view.angleZ << " angleX " << view.angleX << " zoom " << view.zoom << " pan "
        << view.panX << "," << view.panY;
    return out.str();
}

void prepareDefaultFrame(Scene& scene, const View& view, int width, int height) {
    buildDefaultScene(scene);
    setupCamera(scene, view, width, height);
    prepareFrameBuffers(viewerBuffers, width, height);
}

void addTwinOfFirstObject(Scene& scene) {
    SceneObject twin = scene.objects[0];
    twin.material.diffuse = Color(0.1f, 0.9f, 0.2f, 1.0f);
    scene.objects.push_back(twin);
}

void renderDefaultScene(Scene& scene, const View& view, int width, int height) {
    prepareDefaultFrame(scene, view, width, height);
    renderSoftware(scene, viewerBuffers.pixels(), width, height);
}

std::uint64_t colorDigest(int width, int height) {
    return fnv1a(&colorBuffer[0].r, pixelIndex(0, height, width) * 4);
}

std::uint64_t depthDigest(int width, int height) {
    return fnv1a(depthBuffer, pixelIndex(0, height, width));
}
