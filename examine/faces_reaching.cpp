#include "examine/faces_reaching.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "raster/like_reference/reference_stages.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/span.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/plain/vertex_stage.h"

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
    VertexStage vertices;
    std::vector<ScanEdge> edges, active;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            vertices.faceEdges(scene, scene.objects[o].faces[f], width, height, edges, stages);
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
