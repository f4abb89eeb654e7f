#include "raster/scan_convert.h"

#include <cstddef>

#include "raster/active_edges.h"
#include "raster/frame_buffers.h"
#include "raster/shade_pixel.h"

namespace {

void fillSpan(const ScanEdge& left, const ScanEdge& right, int y, int width, int height,
              const Scene& scene, const SceneObject& object) {
    const int startColumn = clampColumn(truncateToInt(left.x), width);
    const int endColumn = clampColumn(truncateToInt(right.x), width);
    if (startColumn >= endColumn) return;

    const float dx = right.x - left.x;
    const float dzdx = (right.z - left.z) / dx;
    const float k = 1.0f / dx;
    const Vec3 dNormal{(right.normal.x - left.normal.x) * k, (right.normal.y - left.normal.y) * k,
                       (right.normal.z - left.normal.z) * k};

    float depth = left.z;
    Vec3 normal = left.normal;
    const float row = static_cast<float>(y);
    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(y) * width;
    float* depths = depthBuffer + rowStart;
    Color* colors = colorBuffer + rowStart;
    for (int j = startColumn; j < endColumn; ++j) {
        if (depth < depths[j]) {
            depths[j] = depth;
            Color color(0.0f, 0.0f, 0.0f, 1.0f);
            shadePixel(color, scene, normal, static_cast<float>(j), row, depth, width, height,
                       object);
            colors[j] = color;
        }
        depth = depth + dzdx;
        normal.x = normal.x + dNormal.x;
        normal.y = normal.y + dNormal.y;
        normal.z = normal.z + dNormal.z;
    }
}

}  // namespace

void scanConvertPolygon(std::vector<ScanEdge>& edges, int width, int height, const Scene& scene,
                        const SceneObject& object) {
    std::vector<ScanEdge> active;
    forEachSpanPair(edges, height, active, [&](const ScanEdge& left, const ScanEdge& right, int y) {
        fillSpan(left, right, y, width, height, scene, object);
    });
    std::vector<ScanEdge>().swap(edges);
}
