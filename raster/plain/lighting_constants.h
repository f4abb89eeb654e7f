#pragma once

#include <vector>

#include "math/matrix4.h"
#include "math/vec.h"
#include "scene/color.h"
#include "scene/scene.h"

// An object's material as lighting reads it.
struct MaterialShading {
    Color diffuse;
    Color specular;
    Color ambient;  // the scene's ambient colour times the diffuse colour
    int shininess = 0;
};

// What lighting reads that is the same for every pixel of a frame. Both
// software paths take it from lightingConstants, so they light from the same
// numbers.
struct LightingConstants {
    Matrix4 inverseProjection;
    Matrix4 inverseView;
    Vec3 eye;  // the eye's world position
    std::vector<Light> lights;
    std::vector<MaterialShading> materials;  // one per object, in object order
    int powerSteps = 0;                      // bit length of the largest |shininess|
};

LightingConstants lightingConstants(const Scene& scene);

// The position of a homogeneous point: a float reciprocal of w times each
// float component.
inline Vec3 dehomogenized(const Vec4& p) {
    const float r = 1.0f / p.w;
    return Vec3{p.x * r, p.y * r, p.z * r};
}

// |shininess|, taken in unsigned arithmetic so that INT_MIN has one too.
inline unsigned shininessMagnitude(int shininess) {
    return shininess < 0 ? 0u - static_cast<unsigned>(shininess) : static_cast<unsigned>(shininess);
}
