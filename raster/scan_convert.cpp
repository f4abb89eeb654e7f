#include "raster/scan_convert.h"

#include <algorithm>
#include <climits>
#include <cstddef>

#include "raster/frame_buffers.h"
#include "raster/shade_pixel.h"
#include "raster/truncate_to_int.h"

namespace {

// Strict less-than on x. A NaN x counts as greater than every number (and
// equal to another NaN) so the order stays a strict weak order, which
// std::sort needs to stay inside the list; for numbers it is plain x < x.
bool lessX(const ScanEdge& a, const ScanEdge& b) {
    return a.x < b.x || (b.x != b.x && a.x == a.x);
}

int clampColumn(int column, int width) {
    if (column < 0) column = 0;
    if (column > width) column = width;
    return column;
}

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
    int firstRow = 9999999;
    int lastRow = 0;
    for (const ScanEdge& edge : edges) {
        firstRow = std::min(firstRow, truncateToInt(edge.yStart));
        lastRow = std::max(lastRow, truncateToInt(edge.yEnd));
    }
    // height - 1 in a wider type: no overflow for any height.
    const long long topRow = static_cast<long long>(height) - 1;
    if (lastRow > topRow) lastRow = static_cast<int>(std::max<long long>(topRow, INT_MIN));
    if (firstRow < 0) firstRow = 0;

    std::vector<ScanEdge> active;
    for (int y = firstRow; y <= lastRow; ++y) {
        for (ScanEdge& edge : active) {
            if (truncateToInt(edge.yEnd) <= y) edge.finished = true;
        }
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [](const ScanEdge& edge) { return edge.finished; }),
                     active.end());

        for (ScanEdge& edge : active) {
            edge.x = edge.x + edge.dxdy;
            edge.z = edge.z + edge.dzdy;
            edge.normal.x = edge.normal.x + edge.dNormal.x;
            edge.normal.y = edge.normal.y + edge.dNormal.y;
            edge.normal.z = edge.normal.z + edge.dNormal.z;
        }

        for (const ScanEdge& edge : edges) {
            if (truncateToInt(edge.yStart) == y) active.push_back(edge);
        }

        std::sort(active.begin(), active.end(), lessX);

        // Pairs only: an entry left without a partner is ignored.
        for (std::size_t i = 0; i + 1 < active.size(); i += 2) {
            fillSpan(active[i], active[i + 1], y, width, height, scene, object);
        }
    }

    std::vector<ScanEdge>().swap(edges);
}
