#pragma once

#include <cstddef>

#include "raster/frame_shading.h"
#include "scene/scene.h"

// One frame as every step of the plain path sees it: the scene, the frame
// size, and the lighting constants worked out once for the frame.
struct FrameContext {
    FrameContext(const Scene& scene, int width, int height)
        : scene(scene), width(width), height(height), shading(frameShading(scene)) {}

    const Scene& scene;
    int width;
    int height;
    FrameShading shading;
};

// The face being drawn: face `face` of object `object` of the frame's scene.
struct FaceContext {
    const FrameContext& frame;
    std::size_t object;
    std::size_t face;

    const MaterialShading& material() const { return frame.shading.materials[object]; }
};
