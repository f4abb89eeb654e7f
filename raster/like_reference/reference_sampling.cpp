#include "raster/like_reference/reference_sampling.h"

#include <cmath>

namespace {

// The first whole number n with n + 0.5 >= value, as a float.
float firstCentreFrom(float value) {
    return static_cast<float>(std::ceil(static_cast<double>(value) - 0.5));
}

float movedBy(float value, double distance, float perUnit) {
    return static_cast<float>(static_cast<double>(value) + distance * static_cast<double>(perUnit));
}

int clampedColumn(float column, int width) {
    if (!(column > 0.0f)) return 0;  // NaN too
    if (column > static_cast<float>(width)) return width;
    return truncateToInt(column);
}

}  // namespace

// The reference holds screen positions in fixed point with `bits` fraction
// bits (Mesa's llvmpipe 8), rounded to nearest. Scaling by a power of two is
// exact, so only the rounding moves the value.
float snappedToSubpixelGrid(float value, int bits) {
    const float cells = static_cast<float>(1 << bits);
    return std::nearbyint(value * cells) / cells;
}

ScanEdge edgeLikeReference(const Vertex& first, const Vertex& second, const ReferenceRules& rules) {
    Vertex a = first;
    Vertex b = second;
    if (rules.subpixel != 0) {
        for (Vertex* v : {&a, &b}) {
            v->position.x = snappedToSubpixelGrid(v->position.x, rules.subpixel);
            v->position.y = snappedToSubpixelGrid(v->position.y, rules.subpixel);
        }
    }
    const ScanEdge edge = setupEdge(a, b);
    return rules.sampling ? centredOnRows(edge) : edge;
}

ScanEdge centredOnRows(const ScanEdge& edge) {
    ScanEdge centred = edge;
    centred.yStart = firstCentreFrom(edge.yStart);
    centred.yEnd = firstCentreFrom(edge.yEnd);
    const double distance =
        static_cast<double>(centred.yStart) + 0.5 - static_cast<double>(edge.yStart);
    centred.x = movedBy(edge.x, distance, edge.dxdy);
    centred.z = movedBy(edge.z, distance, edge.dzdy);
    centred.normal.x = movedBy(edge.normal.x, distance, edge.dNormal.x);
    centred.normal.y = movedBy(edge.normal.y, distance, edge.dNormal.y);
    centred.normal.z = movedBy(edge.normal.z, distance, edge.dNormal.z);
    return centred;
}

bool setupCentredSpan(const ScanEdge& left, const ScanEdge& right, int width, Span& span) {
    span.startColumn = clampedColumn(firstCentreFrom(left.x), width);
    span.endColumn = clampedColumn(firstCentreFrom(right.x), width);
    if (span.startColumn >= span.endColumn) return false;

    const float dx = right.x - left.x;
    const float k = 1.0f / dx;
    span.dzdx = (right.z - left.z) / dx;
    span.dNormal = Vec3{(right.normal.x - left.normal.x) * k, (right.normal.y - left.normal.y) * k,
                        (right.normal.z - left.normal.z) * k};
    const double offset = static_cast<double>(span.startColumn) + 0.5 - static_cast<double>(left.x);
    span.depth = movedBy(left.z, offset, span.dzdx);
    span.normal = Vec3{movedBy(left.normal.x, offset, span.dNormal.x),
                       movedBy(left.normal.y, offset, span.dNormal.y),
                       movedBy(left.normal.z, offset, span.dNormal.z)};
    return true;
}
