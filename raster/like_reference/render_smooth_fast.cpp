#include "raster/like_reference/render_smooth_fast.h"

#include <cstddef>
#include <vector>

#include "raster/like_reference/reference_stages.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/draw_context.h"
#include "raster/plain/vertex_stage.h"

namespace {

// fillColumns (fill_span.cpp) unwatched, with ReferenceStages::shade under
// the vertex rule in place of the stages' shading: the depth test, and the
// smooth colour at the centre of each pixel that passes.
void fillSmoothColumns(const SmoothFace& smooth, PixelBuffers buffers, int width, int y,
                       const Span& span) {
    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(y) * width;
    float* depths = buffers.depth + rowStart;
    Color* colors = buffers.color + rowStart;
    float depth = span.depth;
    for (int j = span.startColumn; j < span.endColumn; ++j) {
        if (depth < depths[j]) {
            depths[j] = depth;
            colors[j] = smooth.colourAt(static_cast<float>(j) + 0.5, static_cast<float>(y) + 0.5);
        }
        depth = depth + span.dzdx;
    }
}

}  // namespace

bool renderSmoothLikeReference(Scene& scene, PixelBuffers buffers, int width, int height,
                               const ReferenceRules& rules) {
    if (!rules.vertex) return false;
    ReferenceStages stages(rules);
    const DrawContext draw(scene, buffers, width, height, stages);
    VertexStage vertexStage;
    std::vector<ScanEdge> edges;
    std::vector<ScanEdge> active;
    // renderSoftwarePlain's loop over the faces, with scanConvertPolygon's
    // row walk and fillSpan's span set-up.
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        const SceneObject& object = scene.objects[o];
        for (std::size_t f = 0; f < object.faces.size(); ++f) {
            vertexStage.faceEdges(scene, object.faces[f], width, height, edges, stages);
            // A face with no row to walk fills nothing: it is not prepared.
            const WalkedRows walked = walkedRows(edges, height);
            if (walked.first > walked.last) continue;
            const FaceContext face{draw, o, f};
            stages.prepareFace(face, vertexStage);
            forEachSpanPair(edges, height, active,
                            [&](const ScanEdge& left, const ScanEdge& right, int y) {
                                Span span;
                                if (!stages.setupSpan(left, right, width, span)) return;
                                fillSmoothColumns(stages.smoothFace(), buffers, width, y, span);
                            });
        }
    }
    return true;
}
