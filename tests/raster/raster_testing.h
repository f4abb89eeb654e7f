#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bit_testing.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/plain/scan_edge.h"
#include "scene/scene.h"

// Small builders and buffer probes shared by the rasteriser tests.

inline Vertex screenPoint(float x, float y, float z, Vec3 normal = Vec3{0.0f, 0.0f, 1.0f}) {
    Vertex v;
    v.position = Vec4{x, y, z, 1.0f};
    v.normal = normal;
    return v;
}

inline ScanEdge edgeBetween(float x0, float y0, float z0, float x1, float y1, float z1,
                            Vec3 n0 = Vec3{0.0f, 0.0f, 1.0f}, Vec3 n1 = Vec3{0.0f, 0.0f, 1.0f}) {
    return setupEdge(screenPoint(x0, y0, z0, n0), screenPoint(x1, y1, z1, n1));
}

inline std::size_t pixelIndex(int x, int y, int width) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

// A copy of the colour and depth buffers' pixels of a width x height frame.
struct BufferCopy {
    std::vector<Color> colors;
    std::vector<float> depths;
};

inline BufferCopy copyBuffers(int width, int height) {
    const std::size_t n = pixelIndex(0, height, width);
    return BufferCopy{std::vector<Color>(colorBuffer, colorBuffer + n),
                      std::vector<float>(depthBuffer, depthBuffer + n)};
}

// True when the pixel still holds the cleared white and depth 1.0.
inline bool untouched(int x, int y, int width) {
    const std::size_t i = pixelIndex(x, y, width);
    const Color& c = colorBuffer[i];
    return depthBuffer[i] == 1.0f && c.r == 1.0f && c.g == 1.0f && c.b == 1.0f && c.a == 1.0f;
}

// The elements past the last row are never written by the renderer; tests
// mark them and check the marks survive.
constexpr float kSlackMark = -12345.0f;

inline void markSlack(int width, int height) {
    const std::size_t pixels = frameBufferElements(width, height) - 1000;
    for (std::size_t i = pixels; i < pixels + 1000; ++i) {
        depthBuffer[i] = kSlackMark;
        colorBuffer[i] = Color(kSlackMark, kSlackMark, kSlackMark, kSlackMark);
    }
}

inline bool slackIntact(int width, int height) {
    const std::size_t pixels = frameBufferElements(width, height) - 1000;
    for (std::size_t i = pixels; i < pixels + 1000; ++i) {
        const Color& c = colorBuffer[i];
        if (depthBuffer[i] != kSlackMark || c.r != kSlackMark || c.g != kSlackMark ||
            c.b != kSlackMark || c.a != kSlackMark) {
            return false;
        }
    }
    return true;
}
