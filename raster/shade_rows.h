#pragma once

#include <cstdint>
#include <vector>

#include "raster/span_bins.h"
#include "scene/color.h"

// What the lighting of one object needs, with ambient x diffuse formed once.
struct ObjectShading {
    float diffuse[3];
    float specular[3];
    float ambient[3];  // the scene's ambient times the diffuse colour
    int shininess;
};

struct LightShading {
    float position[3];
    float color[3];
};

// Everything the pixel loop reads for one frame: the binned spans, the
// per-column and per-row device coordinates, the inverse transforms, the eye
// position and the lights and materials, plus the buffers it writes.
struct ShadeFrame {
    const BinnedSpan* spans = nullptr;
    const std::uint32_t* rowStart = nullptr;
    const float* columnDevice = nullptr;  // width entries
    const float* rowDevice = nullptr;     // height entries
    int width = 0;
    int height = 0;
    double inverseProjection[16];
    double inverseView[16];
    // When the inverse projection has the zeros of a perspective inverse,
    // its product with a device position (x, y, depth, 1) is
    // (columnUnprojected[x], rowUnprojected[y],
    // depth * inverseProjection[10] + inverseProjection[11],
    // depth * inverseProjection[14] + inverseProjection[15]) exactly, as long
    // as depth is finite and no part of it is zero (checked per pixel).
    bool reducedUnprojection = false;
    const float* columnUnprojected = nullptr;  // width entries
    const float* rowUnprojected = nullptr;     // height entries
    bool affineView = false;                   // inverseView's last row is exactly (0, 0, 0, 1)
    float eye[3];
    const LightShading* lights = nullptr;
    int lightCount = 0;
    const ObjectShading* objects = nullptr;
    int powerSteps = 0;  // bit length of the largest |shininess|
    float* depth = nullptr;
    Color* color = nullptr;
};

// Rows are shared out between the parts of one frame in blocks of this many,
// round robin, so that every part gets rows from all over the picture.
constexpr int kRowBlock = 8;

// Depth-tests and lights every span of rows [firstRow, endRow) that belong to
// `part` of `parts` (the blocks of kRowBlock rows counted from firstRow whose
// number modulo parts is part), each row's spans in order, with the best SIMD
// target the processor offers.
void shadeRows(const ShadeFrame& frame, int firstRow, int endRow, int part = 0, int parts = 1);

// The SIMD targets compiled in and supported here, best first, and a way to
// restrict the dispatch to one of them (0 lifts the restriction).
std::vector<std::int64_t> availableSimdTargets();
const char* simdTargetName(std::int64_t target);
void restrictSimdTarget(std::int64_t target);
