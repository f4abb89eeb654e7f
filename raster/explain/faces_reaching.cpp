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

namespace {

// The screen row of each corner of a scene, worked out once for every
// distinct position (neighbouring faces share their corners); NaN for a
// corner at or behind the eye.
class CornerRows {
  public:
    CornerRows(const Scene& scene, int width, int height)
        : scene_(scene), width_(width), height_(height) {
        std::size_t corners = 0;
        for (const SceneObject& object : scene.objects)
            for (const Face& face : object.faces) corners += face.vertices.size();
        std::size_t size = 64;
        while (size < 2 * corners) size *= 2;
        slots_.resize(size);
    }

    double row(const Vec4& position) {
        std::uint32_t key[4];
        std::memcpy(key, &position, sizeof key);
        std::uint32_t hash = 2166136261u;
        for (const std::uint32_t word : key) hash = (hash ^ word) * 16777619u;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = (hash ^ (hash >> 16)) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.taken) {
                if (std::memcmp(slot.key, key, sizeof key) == 0) return slot.row;
                continue;
            }
            const Vec4 clip = toClipSpace(scene_, position);
            slot.taken = true;
            std::memcpy(slot.key, key, sizeof key);
            slot.row = clip.w > kMinClipW ? projectToScreen(clip, width_, height_).y : NAN;
            return slot.row;
        }
    }

  private:
    struct Slot {
        std::uint32_t key[4] = {};
        double row = 0.0;
        bool taken = false;
    };
    const Scene& scene_;
    int width_;
    int height_;
    std::vector<Slot> slots_;
};

// Whether a face wholly in front of the eye lies, on the screen, more than
// two rows below or above the kept rows at every corner: then none of its
// sides covers a kept row, under any rules, and its edge set-up can be left
// out. The rules move a side's ends by less than a row (the grid by at most
// half a cell, sampling to the next row centre), and a side's rows lie
// between its ends. A corner at or behind the eye, or at no finite row,
// leaves the answer to the whole vertex stage and the row walk.
bool farFromKeptRows(CornerRows& rows, const Face& face, const PixelBounds& kept) {
    double lowest = HUGE_VAL;
    double highest = -HUGE_VAL;
    for (const Vertex& v : face.vertices) {
        const double row = rows.row(v.position);
        if (!std::isfinite(row)) return false;
        lowest = std::min(lowest, row);
        highest = std::max(highest, row);
    }
    return highest + 2.0 <= kept.firstRow || lowest - 2.0 >= kept.lastRow + 1.0;
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
    Scene culled = scene;
    CornerRows cornerRows(scene, width, height);
    VertexStage vertices;
    std::vector<ScanEdge> edges, active;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            const Face& face = scene.objects[o].faces[f];
            if (farFromKeptRows(cornerRows, face, kept)) {
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
