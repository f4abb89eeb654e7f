#pragma once

#include <cstddef>

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/draw_stages.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/lighting_constants.h"
#include "scene/scene.h"

// One frame as every step of the plain path sees it: the scene, the buffers
// it is drawn into and the frame size, the lighting constants worked out once for the frame, the
// steps it is drawn with, and who, if anyone, watches the fragments.
struct DrawContext {
    DrawContext(const Scene& scene, PixelBuffers buffers, int width, int height,
                const DrawStages& stages = DrawStages::textbook(),
                FragmentObserver* observer = nullptr)
        : scene(scene),
          buffers(buffers),
          width(width),
          height(height),
          shading(lightingConstants(scene)),
          stages(stages),
          observer(observer) {}

    const Scene& scene;
    PixelBuffers buffers;
    int width;
    int height;
    LightingConstants shading;
    const DrawStages& stages;
    FragmentObserver* observer;  // told about every fragment when not null
};

// The face being drawn: face `face` of object `object` of the frame's scene.
struct FaceContext {
    const DrawContext& draw;
    std::size_t object;
    std::size_t face;

    const MaterialShading& material() const { return draw.shading.materials[object]; }
};
