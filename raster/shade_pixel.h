#pragma once

#include "math/vec.h"
#include "scene/color.h"
#include "scene/scene.h"

// Lit colour of one pixel: ambient plus, per point light, clamped diffuse and
// an integer-power specular term on the half vector, with a local viewer.
// Writes r, g, b of `out` (never a) and normalises `normal` in place.
void shadePixel(Color& out, const Scene& scene, Vec3& normal, float column, float row, float depth,
                int width, int height, const SceneObject& object);
