#pragma once

#include "raster/like_reference/reference_rules.h"
#include "raster/like_reference/smooth_shading.h"
#include "raster/plain/draw_stages.h"

// The plain path's stages under the reference's rules: each stage a rule
// changes follows the reference where `rules` asks for it, and the
// textbook's elsewhere.
//   edge set-up   corners snapped to the grid (subpixel), the edge
//                 sampled at row centres (sampling): edgeLikeReference
//   face          lit at its corners, for smooth shading (vertex)
//   span set-up   columns and values at pixel centres (sampling):
//                 setupCentredSpan
//   shading       the face's smooth colours at the pixel centre (vertex);
//                 otherwise at the pixel centre (sampling) with the
//                 reference's lighting equation (ambient, lights, viewer,
//                 specular): lightPixelLikeReference, or shadePixel where
//                 none of those four is on.
// The lighting terms an observer asks for are filled by the lighting that
// forms them (shadePixel or lightPixelLikeReference); under the vertex rule
// a pixel is not lit, and they are left as they are.
class ReferenceStages : public DrawStages {
  public:
    explicit ReferenceStages(const ReferenceRules& rules) : rules_(rules) {}

    ScanEdge setupEdge(const Vertex& first, const Vertex& second) const override;
    void prepareFace(const FaceContext& face, const VertexStage& vertices) override;
    bool setupSpan(const ScanEdge& left, const ScanEdge& right, int width,
                   Span& span) const override;
    void shade(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
               float depth) const override;
    void shadeRecording(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                        float depth, ShadingTerms& terms) const override;

    // The face prepared last, under the vertex rule.
    const SmoothFace& smoothFace() const { return smooth_; }

  private:
    ReferenceRules rules_;
    SmoothFace smooth_;  // the face being drawn, under the vertex rule
};
