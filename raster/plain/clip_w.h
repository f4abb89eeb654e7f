#pragma once

#include <vector>

#include "math/vec.h"

// Smallest clip w the projection is trusted with. A face with every vertex
// above it is projected as it stands; any other face is first cut down to its
// part with w >= kMinClipW, so nothing behind (or at) the eye is mirrored
// through it by the perspective divide. The near plane lies at w = 0.1, well
// above: geometry between the eye and the near plane is kept.
constexpr float kMinClipW = 1.0e-4f;

// A polygon corner in clip space with the normal it carries.
struct ClipVertex {
    Vec4 position;
    Vec3 normal;
};

// Sutherland-Hodgman against the plane w = kMinClipW: keeps the corners with
// w > kMinClipW, in order, and inserts a corner on every side that crosses the
// plane, with position and normal interpolated along that side and w set to
// kMinClipW exactly. `outline` is a closed outline (the last corner joins the
// first). The result replaces the contents of `clipped`; it is empty when
// nothing lies in front.
void clipToMinW(const std::vector<ClipVertex>& outline, std::vector<ClipVertex>& clipped);
