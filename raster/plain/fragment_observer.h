#pragma once

#include <vector>

#include "math/vec.h"
#include "scene/color.h"

// What shadePixel works out for one light on the way to a pixel's colour.
struct LightTerms {
    Vec3 direction;        // unit vector from the pixel's world position to the light
    float diffuseFactor;   // normal . direction, clamped at 0
    Color diffusePart;     // diffuseFactor x the material's diffuse colour (r, g, b)
    Vec3 halfVector;       // unit vector halfway between the eye direction and `direction`
    float specularBase;    // halfVector . normal
    float specularFactor;  // specularBase to the power of the material's shininess
    Color specularPart;    // specularFactor x the material's specular colour (r, g, b)
    Color lightColor;      // the light's colour, which both parts are multiplied by
    Color contribution;    // (specularPart + diffusePart) x lightColor: what the light adds
};

// Every intermediate value of one call of shadePixel, as it computed them.
// The colour is, channel by channel and in float:
//   sum = 0; for each light: sum = sum + contribution;
//   color = sum + ambient.
struct ShadingTerms {
    Vec3 normal;        // the interpolated normal after renormalising
    Vec3 position;      // the pixel's world position, unprojected from its depth
    Vec3 eyeDirection;  // unit vector from the position to the eye
    Color ambient;      // the scene's ambient x the material's diffuse colour (r, g, b)
    std::vector<LightTerms> lights;  // in the scene's order
    Color color;                     // the lit colour (r, g, b) shadePixel returned
};

// One fragment: a pixel of a span that reached the depth test.
struct Fragment {
    int column = 0;
    int row = 0;
    int object = 0;         // index into the scene's objects
    int face = 0;           // index into that object's faces
    float spanLeft = 0.0f;  // x of the span's left and right edge on this row
    float spanRight = 0.0f;
    int firstColumn = 0;  // the span's columns, firstColumn .. endColumn - 1
    int endColumn = 0;
    float depth = 0.0f;        // the fragment's interpolated depth
    float depthBefore = 0.0f;  // what the depth buffer held when it was tested
    bool passed = false;       // depth < depthBefore: depth and colour were stored
};

// Watches the plain software path draw: learns every fragment, in draw order,
// and may ask for the lighting terms of the ones that pass.
class FragmentObserver {
  public:
    virtual ~FragmentObserver() = default;

    // Called after each depth test. For a passed fragment, a record returned
    // here is filled by shadePixel while it lights the pixel; null asks for
    // nothing. The record must stay valid until the next call.
    virtual ShadingTerms* fragment(const Fragment& fragment) = 0;
};
