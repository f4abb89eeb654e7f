#include "raster/span_bins.h"

#include <algorithm>
#include <cstddef>

#include "raster/active_edges.h"

namespace {

// The same increments and start values as the pixel-by-pixel fill of one
// span, computed once.
bool makeSpan(const ScanEdge& left, const ScanEdge& right, int width, int object, Span& span) {
    const int startColumn = clampColumn(truncateToInt(left.x), width);
    const int endColumn = clampColumn(truncateToInt(right.x), width);
    if (startColumn >= endColumn) return false;

    const float dx = right.x - left.x;
    const float k = 1.0f / dx;
    span.startColumn = startColumn;
    span.endColumn = endColumn;
    span.depth = left.z;
    span.dzdx = (right.z - left.z) / dx;
    span.normal = left.normal;
    span.dNormal = Vec3{(right.normal.x - left.normal.x) * k, (right.normal.y - left.normal.y) * k,
                        (right.normal.z - left.normal.z) * k};
    span.object = object;
    return true;
}

}  // namespace

void SpanBins::collect(const Scene& scene, int width, int height) {
    emitted_.clear();
    firstRow = height;
    lastRow = -1;
    firstColumn = width;
    lastColumn = -1;
    const std::size_t rows = height > 0 ? static_cast<std::size_t>(height) : 0;

    int objectIndex = 0;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            builder_.build(scene, face, width, height, edges_);
            forEachSpanPair(edges_, height, active_,
                            [&](const ScanEdge& left, const ScanEdge& right, int y) {
                                RowSpan emitted;
                                emitted.row = y;
                                if (!makeSpan(left, right, width, objectIndex, emitted.span)) {
                                    return;
                                }
                                emitted_.push_back(emitted);
                                firstRow = std::min(firstRow, y);
                                lastRow = std::max(lastRow, y);
                                firstColumn = std::min(firstColumn, emitted.span.startColumn);
                                lastColumn = std::max(lastColumn, emitted.span.endColumn - 1);
                            });
        }
        ++objectIndex;
    }

    // A stable counting sort by row keeps face order within each row.
    rowStart.assign(rows + 1, 0);
    for (const RowSpan& e : emitted_) ++rowStart[static_cast<std::size_t>(e.row) + 1];
    for (std::size_t y = 0; y < rows; ++y) rowStart[y + 1] += rowStart[y];
    spans.resize(emitted_.size());
    std::vector<std::uint32_t>& next = cursor_;
    next.assign(rowStart.begin(), rowStart.end());
    for (const RowSpan& e : emitted_) spans[next[static_cast<std::size_t>(e.row)]++] = e.span;
}
