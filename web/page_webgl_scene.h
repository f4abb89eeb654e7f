#pragma once

#include <vector>

#include "view/view.h"

// The scene as the page's WebGL picture draws it: every face of every
// object in draw order as a fan of triangles from its first corner, each
// corner with its world position, its normal and its object's material,
// and the lights and matrices the reference renderer is handed.
struct WebglScene {
    // Per corner kWebglVertexFloats floats: position x y z w, normal x y z,
    // diffuse r g b a, specular r g b a, shininess.
    std::vector<float> vertices;
    // kWebglUniformFloats floats, laid out as the kWebgl...At offsets say;
    // matrices column-major, as OpenGL takes them.
    std::vector<float> uniforms;
    int lightCount = 0;
};

constexpr int kWebglVertexFloats = 16;
constexpr int kWebglMaxLights = 8;
constexpr int kWebglModelViewAt = 0;      // 16 floats
constexpr int kWebglProjectionAt = 16;    // 16 floats
constexpr int kWebglNormalMatrixAt = 32;  // 9 floats: the inverse's upper 3 x 3, transposed
constexpr int kWebglAmbientAt = 41;       // 4 floats: light model ambient = material ambient
constexpr int kWebglLightsAt = 45;        // per light: direction x y z (w = 0), colour r g b a
constexpr int kWebglLightFloats = 7;
// 16 floats: projection times model-view, multiplied in float as Mesa's
// fixed-function pipeline multiplies them before it transforms a corner.
constexpr int kWebglModelViewProjectionAt = kWebglLightsAt + kWebglMaxLights * kWebglLightFloats;
constexpr int kWebglUniformFloats = kWebglModelViewProjectionAt + 16;

// The scene and camera of a view at a frame size, as the tools set them up.
WebglScene buildWebglScene(const View& view, int width, int height);
