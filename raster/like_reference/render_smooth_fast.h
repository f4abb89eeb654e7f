#pragma once

#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "scene/scene.h"

// renderSoftwareLikeReference under rules with the vertex rule on, and no
// observer, stop point or rows: the same buffers to the last bit, in less
// time. Under the vertex rule a pixel takes its face's smooth colour at its
// centre, so the span fill here asks for that colour directly where the
// plain path goes through its stages for each pixel and steps a normal
// nothing reads. False (and nothing drawn) when the vertex rule is off.
bool renderSmoothLikeReference(Scene& scene, PixelBuffers buffers, int width, int height,
                               const ReferenceRules& rules);
