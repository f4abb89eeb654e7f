#include "raster/explain/faces_reaching.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "raster/like_reference/reference_stages.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/clip_w.h"
#include "raster/plain/project_vertex.h"
#include "raster/plain/span.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/plain/vertex_stage.h"

CornerScreen::CornerScreen(const Scene& scene, int width, int height)
    : view_(scene.viewTransform.matrix),
      projection_(scene.projectionTransform.matrix),
      width_(width),
      height_(height) {
    std::size_t corners = 0;
    for (const SceneObject& object : scene.objects)
        for (const Face& face : object.faces) corners += face.vertices.size();
    std::size_t size = 64;
    while (size < 2 * corners) size *= 2;
    slots_.resize(size);  // value-initialised: all zero
}

bool CornerScreen::sameScreen(const Scene& scene, int width, int height) const {
    return width == width_ && height == height_ &&
           std::memcmp(view_.m, scene.viewTransform.matrix.m, sizeof view_.m) == 0 &&
           std::memcmp(projection_.m, scene.projectionTransform.matrix.m, sizeof projection_.m) ==
               0;
}

CornerScreen::Place CornerScreen::take(Slot& slot, const CornerKey& key, const Vec4& position) {
    const Vec4 clip = toClipSpace(view_, projection_, position);
    slot.taken = true;
    slot.key = key;
    if (clip.w > kMinClipW) {
        const Vec4 screen = projectToScreen(clip, width_, height_);
        slot.place = Place{screen.x, screen.y};
    } else {
        slot.place = Place{NAN, NAN};
    }
    const Place place = slot.place;
    if (2 * ++taken_ > slots_.size()) grow();
    return place;
}

void CornerScreen::grow() {
    std::vector<Slot> old(2 * slots_.size());  // value-initialised: all zero
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (!slot.taken) continue;
        std::size_t i = slot.key.hash() & mask;
        while (slots_[i].taken) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

namespace {

// The box around the screen places of a face's corners.
struct CornerBox {
    double left = HUGE_VAL, right = -HUGE_VAL, lowest = HUGE_VAL, highest = -HUGE_VAL;
};

// Fills `box`; false at the first corner whose place is not finite in y (in
// x too with `xToo`): one at or behind the eye, or at no finite place.
bool boxAround(CornerScreen& corners, const Face& face, bool xToo, CornerBox& box) {
    for (const Vertex& v : face.vertices) {
        const CornerScreen::Place p = corners.at(v.position);
        if (!std::isfinite(p.y) || (xToo && !std::isfinite(p.x))) return false;
        box.left = std::min(box.left, p.x);
        box.right = std::max(box.right, p.x);
        box.lowest = std::min(box.lowest, p.y);
        box.highest = std::max(box.highest, p.y);
    }
    return true;
}

}  // namespace

double outlineDistanceBound(CornerScreen& corners, const Face& face, double x, double y) {
    constexpr double kMoved = 0.5;
    CornerBox box;
    if (face.vertices.empty() || !boxAround(corners, face, true, box)) return HUGE_VAL;
    // Outside the box the point is outside the outline, and at least as far
    // from it as from the box in either direction.
    const double outside =
        std::max({box.left - x, x - box.right, box.lowest - y, y - box.highest}) - kMoved;
    return outside > 0.0 ? -outside : HUGE_VAL;
}

namespace {

// The scene with every object and face in its place but no face with a
// corner: copying the whole scene would copy every face's corners, to be
// thrown away for most of them.
Scene withoutCorners(const Scene& scene) {
    Scene culled;
    culled.ambient = scene.ambient;
    culled.lights = scene.lights;
    culled.modelTransform = scene.modelTransform;
    culled.viewTransform = scene.viewTransform;
    culled.projectionTransform = scene.projectionTransform;
    culled.currentNormal = scene.currentNormal;
    culled.currentMaterial = scene.currentMaterial;
    culled.faceStart = scene.faceStart;
    culled.objects.resize(scene.objects.size());
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        culled.objects[o].material = scene.objects[o].material;
        culled.objects[o].faces.resize(scene.objects[o].faces.size());
    }
    return culled;
}

}  // namespace

CornerScreen& cornerScreenOf(const Scene& scene, int width, int height) {
    thread_local std::optional<CornerScreen> kept;
    if (!kept || !kept->sameScreen(scene, width, height)) kept.emplace(scene, width, height);
    return *kept;
}

bool farFromPixels(CornerScreen& corners, const Face& face, const PixelBounds& pixels,
                   bool columnsToo) {
    CornerBox box;
    if (!boxAround(corners, face, columnsToo, box)) return false;
    const bool farInRows =
        box.highest + 2.0 <= pixels.firstRow || box.lowest - 2.0 >= pixels.lastRow + 1.0;
    const bool farInColumns =
        box.right + 2.0 <= pixels.firstColumn || box.left - 2.0 >= pixels.lastColumn + 1.0;
    return farInRows || (columnsToo && farInColumns);
}

namespace {

// A span of face `face` of object `object` on a kept row, beginning at or
// left of the last kept column.
struct SpanNearKept {
    std::size_t object, face;
    int row, startColumn, endColumn;
};

// Gives `culled` the corners, as `scene` has them, of the faces whose spans
// can change a kept pixel. On each kept row, the spans covering a kept
// column hold the fragments that can end up there, and each one's running
// normal at a kept pixel depends on which of its earlier columns passed the
// depth test: on the faces covering any column from the leftmost start of
// those spans to the last kept column. A face leaves its own depths whatever
// passed before it, so no face beyond those columns changes anything there.
void keepReaching(const std::vector<SpanNearKept>& spans, const PixelBounds& kept, int height,
                  const Scene& scene, Scene& culled) {
    // Spans lie on the frame's rows only.
    const int firstRow = std::max(kept.firstRow, 0);
    const int rows = std::min(kept.lastRow, height - 1) - firstRow + 1;
    if (rows <= 0) return;
    std::vector<int> leftmost(static_cast<std::size_t>(rows), std::numeric_limits<int>::max());
    const auto rowOf = [&](const SpanNearKept& s) {
        return static_cast<std::size_t>(s.row - firstRow);
    };
    for (const SpanNearKept& s : spans) {
        if (s.endColumn > kept.firstColumn)
            leftmost[rowOf(s)] = std::min(leftmost[rowOf(s)], s.startColumn);
    }
    for (const SpanNearKept& s : spans) {
        std::vector<Vertex>& corners = culled.objects[s.object].faces[s.face].vertices;
        if (s.endColumn > leftmost[rowOf(s)] && corners.empty())
            corners = scene.objects[s.object].faces[s.face].vertices;
    }
}

}  // namespace

Scene facesReaching(const Scene& scene, int width, int height, const ReferenceRules& rules,
                    const PixelBounds& kept) {
    std::unique_ptr<ReferenceStages> reference;
    if (rules.any()) reference = std::make_unique<ReferenceStages>(rules);
    const DrawStages& stages = reference ? *reference : DrawStages::textbook();
    // An edge covers the rows from its truncated start to its truncated
    // end - 1.
    const auto onKeptRows = [&](const ScanEdge& e) {
        return truncateToInt(e.yStart) <= kept.lastRow && kept.firstRow < truncateToInt(e.yEnd);
    };
    Scene culled = withoutCorners(scene);
    CornerScreen& corners = cornerScreenOf(scene, width, height);
    VertexStage vertices;
    std::vector<ScanEdge> edges, active;
    std::vector<SpanNearKept> spans;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            const Face& face = scene.objects[o].faces[f];
            if (farFromPixels(corners, face, kept, false)) continue;
            vertices.faceEdges(scene, face, width, height, edges, stages);
            if (!std::any_of(edges.begin(), edges.end(), onKeptRows)) continue;
            forEachSpanPair(
                edges, height, active,
                [&](const ScanEdge& left, const ScanEdge& right, int y) {
                    Span span;
                    if (y >= kept.firstRow && y <= kept.lastRow &&
                        stages.setupSpan(left, right, width, span) &&
                        span.startColumn < span.endColumn && span.startColumn <= kept.lastColumn)
                        spans.push_back({o, f, y, span.startColumn, span.endColumn});
                },
                kept.lastRow);
        }
    }
    keepReaching(spans, kept, height, scene, culled);
    return culled;
}
