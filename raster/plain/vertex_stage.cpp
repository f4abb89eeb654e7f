#include "raster/plain/vertex_stage.h"

#include <algorithm>
#include <cstddef>

#include "raster/plain/project_vertex.h"
#include "raster/plain/truncate_to_int.h"

namespace {

// A corner on the screen: (screen x, screen y, depth, 1) after the
// perspective divide and the viewport mapping, with the normal as the scene
// holds it (never transformed).
Vertex screenVertex(const ClipVertex& corner, int width, int height) {
    Vertex v;
    v.position = projectToScreen(corner.position, width, height);
    v.normal = corner.normal;
    return v;
}

// Sets up the edge from `previous` to `current` and keeps it only if it can
// cover a row: its truncated ends differ and it ends above y = 0.
void appendEdge(std::vector<ScanEdge>& edges, const Vertex& previous, const Vertex& current,
                const DrawStages& stages) {
    const ScanEdge edge = stages.setupEdge(previous, current);
    if (truncateToInt(edge.yStart) == truncateToInt(edge.yEnd)) return;
    if (edge.yEnd <= 0.0f) return;
    edges.push_back(edge);
}

bool validIndex(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

void VertexStage::faceEdges(const Scene& scene, const Face& face, int width, int height,
                            std::vector<ScanEdge>& edges, const DrawStages& stages) {
    edges.clear();
    // Every corner through the view and projection matrices to clip space.
    const std::size_t n = face.vertices.size();
    corners_.resize(n);
    bool allInFront = true;
    for (std::size_t i = 0; i < n; ++i) {
        const Vertex& v = face.vertices[i];
        corners_[i] = ClipVertex{toClipSpace(scene, v.position), v.normal};
        if (!(corners_[i].position.w > kMinClipW)) allInFront = false;
    }
    clippedUsed_ = !allInFront;
    if (allInFront) {
        edgesInFront(face, width, height, edges, stages);
    } else {
        edgesClipped(face, width, height, edges, stages);
    }
}

// A face wholly in front of the eye: one edge per vertex, from the vertex its
// prev names to the vertex itself, in vertex order. Each vertex is projected
// once and used for both of its sides, which gives the same bits as
// projecting it per side.
void VertexStage::edgesInFront(const Face& face, int width, int height,
                               std::vector<ScanEdge>& edges, const DrawStages& stages) {
    const std::size_t n = face.vertices.size();
    screen_.resize(n);
    for (std::size_t i = 0; i < n; ++i) screen_[i] = screenVertex(corners_[i], width, height);
    for (std::size_t i = 0; i < n; ++i) {
        const int prev = face.vertices[i].prev;
        if (!validIndex(prev, n)) continue;  // a broken link gives no side
        appendEdge(edges, screen_[static_cast<std::size_t>(prev)], screen_[i], stages);
    }
}

// A face reaching to or behind the eye: the outline (followed through prev
// from vertex 0, then put in forward order) is cut to its part in front, and
// the cut polygon's sides become the edges.
void VertexStage::edgesClipped(const Face& face, int width, int height,
                               std::vector<ScanEdge>& edges, const DrawStages& stages) {
    const std::size_t n = face.vertices.size();
    outline_.clear();
    std::size_t index = 0;
    for (std::size_t steps = 0; steps < n; ++steps) {
        outline_.push_back(corners_[index]);
        const int prev = face.vertices[index].prev;
        if (!validIndex(prev, n) || prev == 0) break;
        index = static_cast<std::size_t>(prev);
    }
    std::reverse(outline_.begin(), outline_.end());
    clipToMinW(outline_, clipped_);

    const std::size_t m = clipped_.size();
    screen_.resize(m);
    for (std::size_t i = 0; i < m; ++i) screen_[i] = screenVertex(clipped_[i], width, height);
    for (std::size_t i = 0; i < m; ++i) {
        appendEdge(edges, screen_[i == 0 ? m - 1 : i - 1], screen_[i], stages);
    }
}
