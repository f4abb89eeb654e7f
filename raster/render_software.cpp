#include "raster/render_software.h"

#include <algorithm>
#include <cstddef>

#include "raster/clip_w.h"
#include "raster/project_vertex.h"
#include "raster/scan_convert.h"
#include "raster/truncate_to_int.h"

namespace {

Vertex screenVertex(const ClipVertex& corner, int width, int height) {
    Vertex v;
    v.position = projectToScreen(corner.position, width, height);
    v.normal = corner.normal;
    return v;
}

// Sets up the edge from `previous` to `current` and keeps it only if it can
// cover a row: its truncated ends differ and it ends above y = 0.
void appendEdge(std::vector<ScanEdge>& edges, const Vertex& previous, const Vertex& current) {
    const ScanEdge edge = setupEdge(previous, current);
    if (truncateToInt(edge.yStart) == truncateToInt(edge.yEnd)) return;
    if (edge.yEnd <= 0.0f) return;
    edges.push_back(edge);
}

// Scratch storage reused from face to face within one frame.
struct FaceWork {
    std::vector<ClipVertex> corners;  // per vertex, in vertex order
    std::vector<Vertex> screen;
    std::vector<ClipVertex> outline;  // the prev-linked outline, for clipping
    std::vector<ClipVertex> clipped;
};

bool validIndex(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

// A face wholly in front of the eye: one edge per vertex, from the vertex its
// prev names to the vertex itself, in vertex order. Each vertex is projected
// once and used for both of its sides, which gives the same bits as
// projecting it per side.
void edgesInFront(const Face& face, FaceWork& work, int width, int height,
                  std::vector<ScanEdge>& edges) {
    const std::size_t n = face.vertices.size();
    work.screen.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        work.screen[i] = screenVertex(work.corners[i], width, height);
    for (std::size_t i = 0; i < n; ++i) {
        const int prev = face.vertices[i].prev;
        if (!validIndex(prev, n)) continue;  // a broken link gives no side
        appendEdge(edges, work.screen[static_cast<std::size_t>(prev)], work.screen[i]);
    }
}

// A face reaching to or behind the eye: the outline (followed through prev
// from vertex 0, then put in forward order) is cut to its part in front, and
// the cut polygon's sides become the edges.
void edgesClipped(const Face& face, FaceWork& work, int width, int height,
                  std::vector<ScanEdge>& edges) {
    const std::size_t n = face.vertices.size();
    work.outline.clear();
    std::size_t index = 0;
    for (std::size_t steps = 0; steps < n; ++steps) {
        work.outline.push_back(work.corners[index]);
        const int prev = face.vertices[index].prev;
        if (!validIndex(prev, n) || prev == 0) break;
        index = static_cast<std::size_t>(prev);
    }
    std::reverse(work.outline.begin(), work.outline.end());
    clipToMinW(work.outline, work.clipped);

    const std::size_t m = work.clipped.size();
    work.screen.resize(m);
    for (std::size_t i = 0; i < m; ++i)
        work.screen[i] = screenVertex(work.clipped[i], width, height);
    for (std::size_t i = 0; i < m; ++i) {
        appendEdge(edges, work.screen[i == 0 ? m - 1 : i - 1], work.screen[i]);
    }
}

}  // namespace

void renderSoftwareThrough(Scene& scene, int width, int height, FaceFiller fill) {
    FaceWork work;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            const std::size_t n = face.vertices.size();
            work.corners.resize(n);
            bool allInFront = true;
            for (std::size_t i = 0; i < n; ++i) {
                const Vertex& v = face.vertices[i];
                work.corners[i] = ClipVertex{toClipSpace(scene, v.position), v.normal};
                if (!(work.corners[i].position.w > kMinClipW)) allInFront = false;
            }

            std::vector<ScanEdge> edges;
            if (allInFront) {
                edgesInFront(face, work, width, height, edges);
            } else {
                edgesClipped(face, work, width, height, edges);
            }
            fill(edges, width, height, scene, object);
            std::vector<ScanEdge>().swap(edges);
        }
    }
}

void renderSoftware(Scene& scene, int width, int height) {
    renderSoftwareThrough(scene, width, height, scanConvertPolygon);
}
