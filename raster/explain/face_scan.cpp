#include "raster/explain/face_scan.h"

#include <cstddef>
#include <cstring>
#include <memory>

#include "raster/like_reference/reference_stages.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/span.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/plain/vertex_stage.h"

namespace {

// The face's fragments, in draw order.
class FaceFragments : public FragmentObserver {
  public:
    FaceFragments(int object, int face) : object_(object), face_(face) {}
    ShadingTerms* fragment(const Fragment& f) override {
        if (f.object == object_ && f.face == face_) fragments.push_back(f);
        return nullptr;
    }
    std::vector<Fragment> fragments;

  private:
    int object_;
    int face_;
};

bool sameFloat(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Whether an active copy came from this edge: the fields the walk never
// changes are the same, bit for bit.
bool copyOf(const ScanEdge& active, const ScanEdge& edge) {
    return sameFloat(active.yStart, edge.yStart) && sameFloat(active.yEnd, edge.yEnd) &&
           sameFloat(active.xEnd, edge.xEnd) && sameFloat(active.zEnd, edge.zEnd) &&
           sameFloat(active.dxdy, edge.dxdy) && sameFloat(active.dzdy, edge.dzdy);
}

// The edge table index of each active edge; a side the outline holds twice
// goes to its copies in table order.
std::vector<int> activeIndices(const std::vector<ScanEdge>& active,
                               const std::vector<ScanEdge>& edges) {
    std::vector<int> indices;
    std::vector<bool> taken(edges.size(), false);
    for (const ScanEdge& a : active) {
        int found = -1;
        for (std::size_t e = 0; e < edges.size() && found < 0; ++e) {
            if (!taken[e] && copyOf(a, edges[e])) found = static_cast<int>(e);
        }
        if (found >= 0) taken[static_cast<std::size_t>(found)] = true;
        indices.push_back(found);
    }
    return indices;
}

FaceScanEdge tableEntry(const ScanEdge& e) {
    FaceScanEdge t;
    t.firstRow = truncateToInt(e.yStart);
    t.lastRow = truncateToInt(e.yEnd) - 1;
    t.yStart = e.yStart;
    t.yEnd = e.yEnd;
    t.x = e.x;
    t.z = e.z;
    t.normal = e.normal;
    t.dxdy = e.dxdy;
    t.dzdy = e.dzdy;
    t.dNormal = e.dNormal;
    return t;
}

// The walk's rows and spans with the frame's stages, the spans' columns
// filled in from the fragments the path reported.
void walkRows(FaceScan& scan, const std::vector<ScanEdge>& edges, int width, int height,
              const DrawStages& stages, const std::vector<Fragment>& fragments) {
    std::vector<ScanEdge> active;
    std::size_t next = 0;  // the fragments come in the walk's order
    bool firstRow = true;
    forEachActiveRow(edges, height, active, [&](int y, const std::vector<ScanEdge>& sorted) {
        FaceScanRow row;
        row.y = y;
        row.active = activeIndices(sorted, edges);
        for (const ScanEdge& a : sorted) row.activeX.push_back(a.x);
        for (std::size_t e = 0; e < scan.edges.size(); ++e) {
            if (scan.edges[e].firstRow == y) row.entering.push_back(static_cast<int>(e));
            if (scan.edges[e].lastRow == y - 1 && !firstRow) {
                row.leaving.push_back(static_cast<int>(e));
            }
        }
        firstRow = false;
        for (std::size_t i = 0; i + 1 < sorted.size(); i += 2) {
            FaceScanSpan s;
            s.leftEdge = row.active[i];
            s.rightEdge = row.active[i + 1];
            s.left = sorted[i].x;
            s.right = sorted[i + 1].x;
            Span span;
            if (stages.setupSpan(sorted[i], sorted[i + 1], width, span)) {
                s.firstColumn = span.startColumn;
                s.endColumn = span.endColumn;
            } else {
                s.firstColumn = s.endColumn = clampColumn(truncateToInt(sorted[i].x), width);
            }
            for (int column = s.firstColumn;
                 column < s.endColumn && next < fragments.size() && fragments[next].row == y &&
                 fragments[next].column == column;
                 ++column) {
                const Fragment& f = fragments[next++];
                s.fragments.push_back(FaceScanFragment{f.column, f.depth, f.depthBefore, f.passed});
            }
            row.spans.push_back(std::move(s));
        }
        scan.rows.push_back(std::move(row));
    });
}

}  // namespace

std::optional<FaceScan> scanFace(Scene& scene, PixelBuffers buffers, int width, int height,
                                 const ReferenceRules& rules, int object, int face) {
    if (object < 0 || static_cast<std::size_t>(object) >= scene.objects.size()) return std::nullopt;
    const SceneObject& owner = scene.objects[static_cast<std::size_t>(object)];
    if (face < 0 || static_cast<std::size_t>(face) >= owner.faces.size()) return std::nullopt;

    FaceFragments watched(object, face);
    const StopPoint stop{object, face};
    renderSoftwareLikeReference(scene, buffers, width, height, rules, &watched, &stop);

    std::unique_ptr<ReferenceStages> reference;
    if (rules.any()) reference = std::make_unique<ReferenceStages>(rules);
    const DrawStages& stages = reference ? *reference : DrawStages::textbook();
    VertexStage vertices;
    std::vector<ScanEdge> edges;
    vertices.faceEdges(scene, owner.faces[static_cast<std::size_t>(face)], width, height, edges,
                       stages);

    FaceScan scan;
    scan.object = object;
    scan.face = face;
    for (const Vertex& v : vertices.screenPolygon()) {
        scan.corners.push_back(Vec3{v.position.x, v.position.y, v.position.z});
    }
    for (const ScanEdge& e : edges) scan.edges.push_back(tableEntry(e));
    walkRows(scan, edges, width, height, stages, watched.fragments);
    return scan;
}
