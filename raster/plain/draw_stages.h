#pragma once

#include "math/vec.h"
#include "raster/plain/scan_edge.h"
#include "raster/plain/span.h"
#include "scene/color.h"
#include "scene/scene.h"

struct FaceContext;
struct ShadingTerms;
class VertexStage;

// The steps of the plain path that a frame may take by other rules than the
// textbook's, chosen once for the whole frame: renderSoftwarePlain asks this
// set for each of them, and the defaults here are the textbook steps. A
// set of other rules derives from it and replaces the steps it changes.
class DrawStages {
  public:
    virtual ~DrawStages() = default;

    // The stages with every default: the textbook path.
    static const DrawStages& textbook();

    // Edge set-up: the outline side from `first` to `second` (screen x,
    // screen y, depth) as an edge for the row walk. Default: ::setupEdge
    // (scan_edge.h).
    virtual ScanEdge setupEdge(const Vertex& first, const Vertex& second) const;

    // Per-face preparation, once the vertex stage has put the face on the
    // screen and before its rows are walked. Default: nothing.
    virtual void prepareFace(const FaceContext& face, const VertexStage& vertices);

    // Span set-up: the span between a pair of x-sorted active edges on one
    // row; false when it covers no column. Default: ::setupSpan (span.h).
    virtual bool setupSpan(const ScanEdge& left, const ScanEdge& right, int width,
                           Span& span) const;

    // Pixel shading of a pixel that passed its depth test, at screen position
    // (column, row), the pixel's whole column and row: writes r, g, b of
    // `out` and may renormalise `normal` in place, which the span steps on
    // from. Default: shadePixel.
    virtual void shade(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                       float depth) const;

    // The same for a pixel whose lighting terms an observer asked for: the
    // stage records them in `terms` if it forms them. Default: shadePixel,
    // recording.
    virtual void shadeRecording(Color& out, const FaceContext& face, Vec3& normal, float column,
                                float row, float depth, ShadingTerms& terms) const;
};
