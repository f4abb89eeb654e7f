#include "raster/explain/faces_reaching.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "raster/like_reference/reference_stages.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/clip_w.h"
#include "raster/plain/project_vertex.h"
#include "raster/plain/span.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/plain/vertex_stage.h"

CornerScreen::CornerScreen(const Scene& scene, int width, int height)
    : scene_(scene), width_(width), height_(height) {
    std::size_t corners = 0;
    for (const SceneObject& object : scene.objects)
        for (const Face& face : object.faces) corners += face.vertices.size();
    std::size_t size = 64;
    while (size < 2 * corners) size *= 2;
    slots_.resize(size);  // value-initialised: all zero
}

CornerScreen::Place CornerScreen::take(Slot& slot, const std::uint32_t (&key)[4],
                                       const Vec4& position) {
    const Vec4 clip = toClipSpace(scene_, position);
    slot.taken = true;
    std::memcpy(slot.key, key, sizeof key);
    if (clip.w > kMinClipW) {
        const Vec4 screen = projectToScreen(clip, width_, height_);
        slot.place = Place{screen.x, screen.y};
    } else {
        slot.place = Place{NAN, NAN};
    }
    return slot.place;
}

bool farFromPixels(CornerScreen& corners, const Face& face, const PixelBounds& pixels,
                   bool columnsToo) {
    double left = HUGE_VAL, right = -HUGE_VAL, lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (const Vertex& v : face.vertices) {
        const CornerScreen::Place p = corners.at(v.position);
        if (!std::isfinite(p.y) || (columnsToo && !std::isfinite(p.x))) return false;
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        lowest = std::min(lowest, p.y);
        highest = std::max(highest, p.y);
    }
    const bool farInRows = highest + 2.0 <= pixels.firstRow || lowest - 2.0 >= pixels.lastRow + 1.0;
    const bool farInColumns =
        right + 2.0 <= pixels.firstColumn || left - 2.0 >= pixels.lastColumn + 1.0;
    return farInRows || (columnsToo && farInColumns);
}

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
    Scene culled = scene;
    CornerScreen corners(scene, width, height);
    VertexStage vertices;
    std::vector<ScanEdge> edges, active;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            const Face& face = scene.objects[o].faces[f];
            if (farFromPixels(corners, face, kept, false)) {
                culled.objects[o].faces[f].vertices.clear();
                continue;
            }
            vertices.faceEdges(scene, face, width, height, edges, stages);
            bool reaches = false;
            if (std::any_of(edges.begin(), edges.end(), onKeptRows)) {
                forEachSpanPair(
                    edges, height, active, [&](const ScanEdge& left, const ScanEdge& right, int y) {
                        Span span;
                        reaches = reaches || (y >= kept.firstRow && y <= kept.lastRow &&
                                              stages.setupSpan(left, right, width, span) &&
                                              span.startColumn < span.endColumn &&
                                              span.startColumn <= kept.lastColumn);
                    });
            }
            if (!reaches) culled.objects[o].faces[f].vertices.clear();
        }
    }
    return culled;
}
