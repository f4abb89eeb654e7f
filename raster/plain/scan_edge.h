#pragma once

#include "math/vec.h"
#include "scene/scene.h"

// One outline side prepared for scan conversion: runs upwards in y from its
// start, with per-unit-of-y increments of x, depth and normal.
struct ScanEdge {
    float x = 0.0f;
    float yStart = 0.0f;
    float z = 0.0f;
    float xEnd = 0.0f;
    float yEnd = 0.0f;
    float zEnd = 0.0f;
    float dxdy = 0.0f;
    float dzdy = 0.0f;
    Vec3 normal;
    Vec3 normalEnd;
    Vec3 dNormal;
    bool finished = false;
};

// Builds the edge between two screen vertices (position = screen x, screen y,
// depth), ordered by y, with a start below row 0 raised to y = 0.
ScanEdge setupEdge(const Vertex& first, const Vertex& second);
