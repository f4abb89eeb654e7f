#include "raster/like_reference/reference_stages.h"

#include "raster/like_reference/reference_lighting.h"
#include "raster/like_reference/reference_sampling.h"
#include "raster/plain/draw_context.h"
#include "raster/plain/shade_pixel.h"
#include "raster/plain/vertex_stage.h"

ScanEdge ReferenceStages::setupEdge(const Vertex& first, const Vertex& second) const {
    return edgeLikeReference(first, second, rules_);
}

void ReferenceStages::prepareFace(const FaceContext& face, const VertexStage& vertices) {
    if (!rules_.vertex) return;
    const Scene& scene = face.draw.scene;
    smooth_.light(scene, scene.objects[face.object].material, vertices.polygon(),
                  vertices.screenPolygon(), rules_);
}

bool ReferenceStages::setupSpan(const ScanEdge& left, const ScanEdge& right, int width,
                                Span& span) const {
    return rules_.sampling ? setupCentredSpan(left, right, width, span)
                           : ::setupSpan(left, right, width, span);
}

void ReferenceStages::shade(Color& out, const FaceContext& face, Vec3& normal, float column,
                            float row, float depth) const {
    if (rules_.vertex) {
        const Color colour = smooth_.colourAt(column + 0.5, row + 0.5);
        out.r = colour.r;
        out.g = colour.g;
        out.b = colour.b;
        return;
    }
    const float offset = rules_.sampling ? 0.5f : 0.0f;
    const float x = column + offset;
    const float y = row + offset;
    if (!rules_.lighting()) {
        shadePixel(out, face, normal, x, y, depth);
        return;
    }
    const Scene& scene = face.draw.scene;
    lightPixelLikeReference(out, scene, scene.objects[face.object].material, normal, x, y, depth,
                            face.draw.width, face.draw.height, rules_);
}

void ReferenceStages::shadeRecording(Color& out, const FaceContext& face, Vec3& normal,
                                     float column, float row, float depth,
                                     ShadingTerms& terms) const {
    if (rules_.vertex) {
        shade(out, face, normal, column, row, depth);
        return;
    }
    const float offset = rules_.sampling ? 0.5f : 0.0f;
    const float x = column + offset;
    const float y = row + offset;
    if (!rules_.lighting()) {
        shadePixel(out, face, normal, x, y, depth, terms);
        return;
    }
    const Scene& scene = face.draw.scene;
    lightPixelLikeReference(out, scene, scene.objects[face.object].material, normal, x, y, depth,
                            face.draw.width, face.draw.height, rules_, terms);
}
