#include "raster/plain/fill_span.h"

#include <cstddef>

#include "raster/plain/span.h"

namespace {

// Nobody watches the fragments: the call compiles away.
struct Unwatched {
    ShadingTerms* fragment(const FaceContext&, const ScanEdge&, const ScanEdge&, const Span&, int,
                           int, float, float) {
        return nullptr;
    }
};

// The frame's observer learns about the fragment at column j before its
// depth test and says where it wants the lighting terms, if anywhere.
struct Watched {
    FragmentObserver& observer;

    ShadingTerms* fragment(const FaceContext& face, const ScanEdge& left, const ScanEdge& right,
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
        return observer.fragment(fragment);
    }
};

// The span's columns, one after the other: the depth test, then the frame's
// pixel shading for each pixel that passes.
template <typename Watch>
void fillColumns(const ScanEdge& left, const ScanEdge& right, int y, const Span& span,
                 const FaceContext& face, Watch watch) {
    const DrawStages& stages = face.draw.stages;
    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(y) * face.draw.width;
    float* depths = face.draw.buffers.depth + rowStart;
    Color* colors = face.draw.buffers.color + rowStart;
    float depth = span.depth;
    Vec3 normal = span.normal;
    for (int j = span.startColumn; j < span.endColumn; ++j) {
        ShadingTerms* terms = watch.fragment(face, left, right, span, j, y, depth, depths[j]);
        // Strictly nearer only: of two faces at the same depth the first
        // drawn stays, and a NaN depth never passes.
        if (depth < depths[j]) {
            depths[j] = depth;
            Color color(0.0f, 0.0f, 0.0f, 1.0f);
            // Lit at the pixel's whole column and row, not its centre.
            // Shading normalises `normal` in place, so the next column steps
            // on from the normalised normal.
            const float column = static_cast<float>(j);
            const float row = static_cast<float>(y);
            if (terms) {
                stages.shadeRecording(color, face, normal, column, row, depth, *terms);
            } else {
                stages.shade(color, face, normal, column, row, depth);
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

}  // namespace

void fillSpan(const ScanEdge& left, const ScanEdge& right, int y, const FaceContext& face) {
    Span span;
    if (!face.draw.stages.setupSpan(left, right, face.draw.width, span)) return;
    if (face.draw.observer) {
        fillColumns(left, right, y, span, face, Watched{*face.draw.observer});
    } else {
        fillColumns(left, right, y, span, face, Unwatched{});
    }
}
