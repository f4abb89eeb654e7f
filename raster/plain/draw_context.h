#pragma once

#include <cstddef>

#include "raster/like_reference/reference_rules.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/lighting_constants.h"
#include "scene/scene.h"

class SmoothFace;

// One frame as every step of the plain path sees it: the scene, the frame
// size, the lighting constants worked out once for the frame, who, if
// anyone, watches the fragments, and the reference's rules it follows
// instead of its own (none: the software picture as specified).
struct DrawContext {
    DrawContext(const Scene& scene, int width, int height, FragmentObserver* observer = nullptr,
                const ReferenceRules& rules = {})
        : scene(scene),
          width(width),
          height(height),
          shading(lightingConstants(scene)),
          observer(observer),
          rules(rules) {}

    const Scene& scene;
    int width;
    int height;
    LightingConstants shading;
    FragmentObserver* observer;  // told about every fragment when not null
    ReferenceRules rules;
};

// The face being drawn: face `face` of object `object` of the frame's scene.
struct FaceContext {
    const DrawContext& draw;
    std::size_t object;
    std::size_t face;
    // The face's corner colours, under the vertex rule only.
    const SmoothFace* smooth = nullptr;

    const MaterialShading& material() const { return draw.shading.materials[object]; }
};
