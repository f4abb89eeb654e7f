#pragma once

#include "math/vec.h"
#include "scene/scene.h"

// Clip-space position of a world position: the view matrix first, then the
// projection matrix, both full 4 x 4 products.
Vec4 toClipSpace(const Scene& scene, const Vec4& world);
// The same from the scene's view and projection matrices themselves.
Vec4 toClipSpace(const Matrix4& view, const Matrix4& projection, const Vec4& world);

// Perspective divide and viewport mapping: (screen x, screen y, depth, 1).
// r = 1 / w in double; each normalised component rounded to float; screen
// x = (nx + 1) * width * 0.5 in double from the float nx, rounded to float,
// likewise y with height. Depth is the normalised z. No clipping.
Vec4 projectToScreen(const Vec4& clip, int width, int height);
