#pragma once

#include <vector>

#include "raster/clip_w.h"
#include "raster/reference_rules.h"
#include "scene/color.h"
#include "scene/scene.h"

// A face's corner colours spread over it the way the reference's smooth
// shading spreads them: the polygon is a fan of triangles from its first
// corner, and within a triangle each channel is interpolated linearly in
// screen space (barycentric weights of the screen position).
class SmoothFace {
  public:
    void clear() { corners_.clear(); }
    void addCorner(float x, float y, const Color& colour);

    // Replaces the corners with the polygon's (clip-space corners and their
    // screen positions, in outline order), each lit in eye space by
    // lightCornerLikeReference.
    void light(const Scene& scene, const Material& material, const std::vector<ClipVertex>& corners,
               const std::vector<Vertex>& screen, const ReferenceRules& rules);

    // The colour at screen position (x, y), normally a pixel centre, from
    // the fan triangle holding it; a point outside every triangle takes the
    // triangle it lies least far outside of (weights extrapolated). A face
    // with fewer than three corners or no triangle of any area has its
    // first corner's colour everywhere.
    Color colourAt(double x, double y) const;

  private:
    struct Corner {
        double x;
        double y;
        Color colour;
    };
    std::vector<Corner> corners_;
};
