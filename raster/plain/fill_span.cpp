#include "raster/plain/fill_span.h"

#include <cstddef>

#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_lighting.h"
#include "raster/like_reference/reference_sampling.h"
#include "raster/plain/shade_pixel.h"
#include "raster/plain/span.h"

namespace {

// Tells the frame's observer about the fragment at column j before its depth
// test; returns where it wants the lighting terms, if anywhere.
ShadingTerms* report(const FaceContext& face, const ScanEdge& left, const ScanEdge& right,
                     const Span& span, int j, int y, float depth, float depthBefore) {
    Fragment fragment;
    fragment.column = j;
    fragment.row = y;
    fragment.object = static_cast<int>(face.object);
    fragment.face = static_cast<int>(face.face);
    fragment.spanLeft = left.x;
    fragment.spanRight = right.x;
    fragment.firstColumn = span.startColumn;
    fragment.endColumn = span.endColumn;
    fragment.depth = depth;
    fragment.depthBefore = depthBefore;
    fragment.passed = depth < depthBefore;
    return face.draw.observer->fragment(fragment);
}

}  // namespace

void fillSpan(const ScanEdge& left, const ScanEdge& right, int y, const FaceContext& face) {
    const ReferenceRules& rules = face.draw.rules;
    const bool likeReference = rules.any();
    Span span;
    // Alternative, --like-reference only: pixel centres.
    const bool covers = rules.sampling ? setupCentredSpan(left, right, face.draw.width, span)
                                       : setupSpan(left, right, face.draw.width, span);
    if (!covers) return;

    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(y) * face.draw.width;
    float* depths = depthBuffer + rowStart;
    Color* colors = colorBuffer + rowStart;
    float depth = span.depth;
    Vec3 normal = span.normal;
    for (int j = span.startColumn; j < span.endColumn; ++j) {
        ShadingTerms* terms = nullptr;
        if (face.draw.observer) terms = report(face, left, right, span, j, y, depth, depths[j]);
        // Strictly nearer only: of two faces at the same depth the first
        // drawn stays, and a NaN depth never passes.
        if (depth < depths[j]) {
            depths[j] = depth;
            Color color(0.0f, 0.0f, 0.0f, 1.0f);
            // Lit at the pixel's whole column and row, not its centre.
            // shadePixel normalises `normal` in place, so the next column
            // steps on from the normalised normal.
            const float column = static_cast<float>(j);
            const float row = static_cast<float>(y);
            if (likeReference) {
                // Alternative, --like-reference only: the reference's lighting.
                shadePixelLikeReference(color, face, normal, j, y, depth);
            } else if (terms) {
                shadePixel(color, face, normal, column, row, depth, *terms);
            } else {
                shadePixel(color, face, normal, column, row, depth);
            }
            colors[j] = color;
        }
        // Linear in screen space: one float addition per column (not
        // start + j * step), pixel passed or not.
        depth = depth + span.dzdx;
        normal.x = normal.x + span.dNormal.x;
        normal.y = normal.y + span.dNormal.y;
        normal.z = normal.z + span.dNormal.z;
    }
}
