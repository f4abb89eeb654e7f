#pragma once

#include "math/vec.h"
#include "raster/plain/draw_context.h"
#include "scene/color.h"

// Lit colour of one pixel of the face at (column, row) with its interpolated
// depth: ambient plus, per point light, clamped diffuse and an integer-power
// specular term on the half vector, with a local viewer. Writes r, g, b of
// `out` (never a) and normalises `normal` in place.
void shadePixel(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                float depth);

// The same lighting, recording every value on the way to the colour in
// `terms` as well.
void shadePixel(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                float depth, ShadingTerms& terms);

// v scaled to unit length in float (no zero-length check).
Vec3 normalized(const Vec3& v);

// One light's share of a lit colour from its diffuse factor d and specular
// factor f: the material's diffuse and specular colours scaled by them, and
// their sum times the light's colour, which the lit colour adds up light by
// light.
struct LightParts {
    Color diffuse;
    Color specular;
    Color contribution;
};
LightParts lightParts(float d, float f, const Color& diffuse, const Color& specular,
                      const Color& lightColor);

// s to the power of a signed integer by repeated squaring: s^0 is 1 and a
// negative exponent gives the reciprocal.
float integerPower(float s, int exponent);
