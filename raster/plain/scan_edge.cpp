#include "raster/plain/scan_edge.h"

namespace {
// Difference of two float fields times k, carried in double and rounded once.
float scaledDifference(float to, float from, double k) {
    return static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) * k);
}
}  // namespace

ScanEdge setupEdge(const Vertex& first, const Vertex& second) {
    ScanEdge edge;
    edge.normal = Vec3{0.0f, 0.0f, 0.0f};
    edge.normalEnd = Vec3{0.0f, 0.0f, 0.0f};
    edge.dNormal = Vec3{0.0f, 0.0f, 0.0f};
    edge.finished = false;

    // On equal y the first endpoint starts; an incomparable (NaN) y lets the
    // second one start.
    const bool firstStarts = first.position.y <= second.position.y;
    const Vertex& start = firstStarts ? first : second;
    const Vertex& end = firstStarts ? second : first;

    edge.x = start.position.x;
    edge.yStart = start.position.y;
    edge.z = start.position.z;
    edge.normal = start.normal;
    edge.xEnd = end.position.x;
    edge.yEnd = end.position.y;
    edge.zEnd = end.position.z;
    edge.normalEnd = end.normal;

    const double k = 1.0 / (static_cast<double>(edge.yEnd) - static_cast<double>(edge.yStart));
    edge.dxdy = scaledDifference(edge.xEnd, edge.x, k);
    edge.dzdy = scaledDifference(edge.zEnd, edge.z, k);
    edge.dNormal.x = scaledDifference(edge.normalEnd.x, edge.normal.x, k);
    edge.dNormal.y = scaledDifference(edge.normalEnd.y, edge.normal.y, k);
    edge.dNormal.z = scaledDifference(edge.normalEnd.z, edge.normal.z, k);

    // A start below the bottom row slides up the edge to y = 0, in float.
    if (edge.yStart < 0.0f) {
        const float t = -edge.yStart;
        edge.yStart = 0.0f;
        edge.x = edge.x + t * edge.dxdy;
        edge.z = edge.z + t * edge.dzdy;
        edge.normal.x = edge.normal.x + t * edge.dNormal.x;
        edge.normal.y = edge.normal.y + t * edge.dNormal.y;
        edge.normal.z = edge.normal.z + t * edge.dNormal.z;
    }
    return edge;
}
