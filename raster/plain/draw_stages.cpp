#include "raster/plain/draw_stages.h"

#include "raster/plain/shade_pixel.h"

const DrawStages& DrawStages::textbook() {
    static const DrawStages stages;
    return stages;
}

ScanEdge DrawStages::setupEdge(const Vertex& first, const Vertex& second) const {
    return ::setupEdge(first, second);
}

void DrawStages::prepareFace(const FaceContext&, const VertexStage&) {}

bool DrawStages::setupSpan(const ScanEdge& left, const ScanEdge& right, int width,
                           Span& span) const {
    return ::setupSpan(left, right, width, span);
}

void DrawStages::shade(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                       float depth) const {
    shadePixel(out, face, normal, column, row, depth);
}

void DrawStages::shadeRecording(Color& out, const FaceContext& face, Vec3& normal, float column,
                                float row, float depth, ShadingTerms& terms) const {
    shadePixel(out, face, normal, column, row, depth, terms);
}
