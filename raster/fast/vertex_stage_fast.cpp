// VertexStage::faceEdges (vertex_stage.cpp) with each shared corner taken to
// the screen once per frame; see vertex_stage_fast.h.
#include "raster/fast/vertex_stage_fast.h"

#include "raster/plain/clip_w.h"
#include "raster/plain/project_vertex.h"
#include "raster/plain/truncate_to_int.h"

void SharedVertexStage::beginFrame(std::size_t corners) {
    std::size_t size = 1024;
    while (size < 2 * corners) size *= 2;
    if (table_.size() != size) {
        table_.assign(size, Projected{});
        frame_ = 0;
    }
    if (++frame_ == 0) {  // the stamps went round: start afresh
        table_.assign(table_.size(), Projected{});
        frame_ = 1;
    }
}

inline const SharedVertexStage::Projected& SharedVertexStage::projected(const Scene& scene,
                                                                        const Vec4& position,
                                                                        int width, int height) {
    const CornerKey key = CornerKey::of(position);
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = key.hash() & mask;; i = (i + 1) & mask) {
        Projected& entry = table_[i];
        if (entry.frame != frame_) return take(entry, key, scene, position, width, height);
        if (entry.key == key) return entry;
    }
}

// Out of line: most corners are found taken, and the lookup then stays
// inside faceEdges.
__attribute__((noinline)) const SharedVertexStage::Projected& SharedVertexStage::take(
    Projected& entry, const CornerKey& key, const Scene& scene, const Vec4& position, int width,
    int height) {
    // Not yet taken this frame: as VertexStage takes a corner.
    const Vec4 clip = toClipSpace(scene, position);
    entry.key = key;
    entry.frame = frame_;
    entry.clipW = clip.w;
    entry.screen = projectToScreen(clip, width, height);
    return entry;
}

namespace {

// appendEdge of vertex_stage.cpp without reference rules: the edge from
// `previous` to `current`, kept only if it can cover a row.
void appendEdge(std::vector<ScanEdge>& edges, const Vertex& previous, const Vertex& current) {
    const ScanEdge edge = setupEdge(previous, current);
    if (truncateToInt(edge.yStart) == truncateToInt(edge.yEnd)) return;
    if (edge.yEnd <= 0.0f) return;
    edges.push_back(edge);
}

}  // namespace

void SharedVertexStage::faceEdges(const Scene& scene, const Face& face, int width, int height,
                                  std::vector<ScanEdge>& edges) {
    const std::size_t n = face.vertices.size();
    screen_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vertex& v = face.vertices[i];
        const Projected& corner = projected(scene, v.position, width, height);
        if (!(corner.clipW > kMinClipW)) {
            clipping_.faceEdges(scene, face, width, height, edges);
            return;
        }
        screen_[i].position = corner.screen;
        screen_[i].normal = v.normal;
    }
    // edgesInFront of vertex_stage.cpp: one edge per vertex, from the vertex
    // its prev names to the vertex itself, in vertex order.
    edges.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const int prev = face.vertices[i].prev;
        if (prev < 0 || static_cast<std::size_t>(prev) >= n) continue;  // no side
        appendEdge(edges, screen_[static_cast<std::size_t>(prev)], screen_[i]);
    }
}
