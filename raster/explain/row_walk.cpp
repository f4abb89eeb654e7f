#include "raster/explain/row_walk.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "raster/explain/faces_reaching.h"
#include "raster/like_reference/reference_stages.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/span.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/plain/vertex_stage.h"

namespace {

// The stages the frame draws with: the textbook's without a rule.
template <typename WithStages>
void withFrameStages(const ReferenceRules& rules, WithStages withStages) {
    if (rules.any()) {
        const ReferenceStages stages(rules);
        withStages(static_cast<const DrawStages&>(stages));
    } else {
        withStages(DrawStages::textbook());
    }
}

double distanceToSide(double px, double py, const std::array<double, 2>& a,
                      const std::array<double, 2>& b) {
    const double dx = b[0] - a[0];
    const double dy = b[1] - a[1];
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((px - a[0]) * dx + (py - a[1]) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a[0] + t * dx), py - (a[1] + t * dy));
}

}  // namespace

std::vector<RowSpan> spansOnRow(const Scene& scene, int width, int height,
                                const ReferenceRules& rules, int row) {
    std::vector<RowSpan> spans;
    withFrameStages(rules, [&](const DrawStages& stages) {
        VertexStage vertices;
        std::vector<ScanEdge> edges, active;
        CornerScreen& corners = cornerScreenOf(scene, width, height);
        const PixelBounds onRow{0, row, width - 1, row};
        for (std::size_t o = 0; o < scene.objects.size(); ++o) {
            for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
                const Face& face = scene.objects[o].faces[f];
                // Corners all rows away from the row: no edge of the face on it.
                if (farFromPixels(corners, face, onRow, false)) continue;
                vertices.faceEdges(scene, face, width, height, edges, stages);
                // An edge covers the rows from its truncated start to its
                // truncated end - 1: a face none of whose edges covers the
                // row has no span there.
                if (std::none_of(edges.begin(), edges.end(), [row](const ScanEdge& e) {
                        return truncateToInt(e.yStart) <= row && row < truncateToInt(e.yEnd);
                    })) {
                    continue;
                }
                forEachSpanPair(edges, height, active,
                                [&](const ScanEdge& left, const ScanEdge& right, int y) {
                                    if (y != row) return;
                                    RowSpan s;
                                    s.object = static_cast<int>(o);
                                    s.face = static_cast<int>(f);
                                    s.left = left.x;
                                    s.right = right.x;
                                    Span span;
                                    if (stages.setupSpan(left, right, width, span)) {
                                        s.firstColumn = span.startColumn;
                                        s.endColumn = span.endColumn;
                                    }
                                    spans.push_back(s);
                                });
            }
        }
    });
    return spans;
}

std::vector<RowSpan> nearestSpans(const std::vector<RowSpan>& spans, int column) {
    const RowSpan* left = nullptr;
    const RowSpan* right = nullptr;
    for (const RowSpan& s : spans) {
        if (s.firstColumn <= column && column < s.endColumn) continue;
        // Which side of the column the span lies on, by its edges' x.
        const double middle = 0.5 * (static_cast<double>(s.left) + static_cast<double>(s.right));
        if (middle < column + 0.5) {
            if (!left || s.right > left->right) left = &s;
        } else if (!right || s.left < right->left) {
            right = &s;
        }
    }
    std::vector<RowSpan> nearest;
    if (left) nearest.push_back(*left);
    if (right) nearest.push_back(*right);
    return nearest;
}

FaceVertexStage faceVertexStage(const Scene& scene, int width, int height,
                                const ReferenceRules& rules, int object, int face, int row) {
    FaceVertexStage told;
    told.object = object;
    told.face = face;
    withFrameStages(rules, [&](const DrawStages& stages) {
        VertexStage vertices;
        std::vector<ScanEdge> edges, active;
        vertices.faceEdges(
            scene,
            scene.objects[static_cast<std::size_t>(object)].faces[static_cast<std::size_t>(face)],
            width, height, edges, stages);
        for (const ClipVertex& c : vertices.polygon()) told.clipCorners.push_back(c.position);
        for (const Vertex& v : vertices.screenPolygon())
            told.screenCorners.push_back(Vec3{v.position.x, v.position.y, v.position.z});
        forEachSpanPair(
            edges, height, active, [&](const ScanEdge& left, const ScanEdge& right, int y) {
                if (y != row) return;
                for (const ScanEdge* e : {&left, &right}) {
                    told.edgesOnRow.push_back(EdgeAtRow{e->x, e->dxdy, e->yStart, e->yEnd});
                }
            });
    });
    return told;
}

double signedDistanceFromOutline(double x, double y,
                                 const std::vector<std::array<double, 2>>& outline) {
    if (outline.empty()) return -std::numeric_limits<double>::infinity();
    double nearest = std::numeric_limits<double>::infinity();
    bool inside = false;
    for (std::size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
        const std::array<double, 2>& a = outline[i];
        const std::array<double, 2>& b = outline[j];
        nearest = std::min(nearest, distanceToSide(x, y, b, a));
        if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) {
            inside = !inside;
        }
    }
    return inside ? nearest : -nearest;
}
