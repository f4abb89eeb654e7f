#pragma once

#include <cstddef>

#include "raster/fragment_observer.h"
#include "raster/frame_shading.h"
#include "scene/scene.h"

// One frame as every step of the plain path sees it: the scene, the frame
// size, the lighting constants worked out once for the frame, and who, if
// anyone, watches the fragments.
struct FrameContext {
    FrameContext(const Scene& scene, int width, int height, FragmentObserver* observer = nullptr)
        : scene(scene),
          width(width),
          height(height),
          shading(frameShading(scene)),
          observer(observer) {}

    const Scene& scene;
    int width;
    int height;
    FrameShading shading;
    FragmentObserver* observer;  // told about every fragment when not null
};

// The face being drawn: face `face` of object `object` of the frame's scene.
struct FaceContext {
    const FrameContext& frame;
    std::size_t object;
    std::size_t face;

    const MaterialShading& material() const { return frame.shading.materials[object]; }
};
