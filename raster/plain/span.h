#pragma once

#include "math/vec.h"
#include "raster/plain/scan_edge.h"
#include "raster/plain/truncate_to_int.h"

// One run of pixels of a face on one row: columns [startColumn, endColumn),
// the depth and normal at the start column and their change per column.
struct Span {
    int startColumn = 0;
    int endColumn = 0;
    float depth = 0.0f;
    float dzdx = 0.0f;
    Vec3 normal;
    Vec3 dNormal;
};

// A truncated column clamped to [0, width].
inline int clampColumn(int column, int width) {
    if (column < 0) column = 0;
    if (column > width) column = width;
    return column;
}

// The span between a pair of x-sorted active edges on their row; false when
// it covers no column (then its increments, maybe infinite or NaN, are never
// used). Covers truncated left.x <= column < truncated right.x. Depth and
// normal start at the left edge's values whatever the distance from left.x
// to the start column, and change linearly in screen space (not
// perspective-correct): float increments, the depth's a quotient, the
// normal's a product with one float reciprocal.
inline bool setupSpan(const ScanEdge& left, const ScanEdge& right, int width, Span& span) {
    span.startColumn = clampColumn(truncateToInt(left.x), width);
    span.endColumn = clampColumn(truncateToInt(right.x), width);
    if (span.startColumn >= span.endColumn) return false;

    const float dx = right.x - left.x;
    const float k = 1.0f / dx;
    span.depth = left.z;
    span.dzdx = (right.z - left.z) / dx;
    span.normal = left.normal;
    span.dNormal = Vec3{(right.normal.x - left.normal.x) * k, (right.normal.y - left.normal.y) * k,
                        (right.normal.z - left.normal.z) * k};
    return true;
}
