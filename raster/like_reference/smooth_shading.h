#pragma once

#include <cstddef>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "raster/plain/clip_w.h"
#include "scene/color.h"
#include "scene/scene.h"

// A face's corner colours spread over it the way the reference's smooth
// shading spreads them: the polygon is a fan of triangles from its first
// corner, and within a triangle each channel is interpolated from the
// barycentric weights of the screen position, linearly in screen space or,
// perspective-correctly, with each weight divided by its corner's clip w
// and the three scaled to sum to 1.
class SmoothFace {
  public:
    void clear() {
        corners_.clear();
        triangles_.clear();
    }
    // A corner at screen (x, y) with clip w `w` (used only perspective-
    // correctly).
    void addCorner(float x, float y, const Color& colour, float w = 1.0f);

    // Replaces the corners with the polygon's (clip-space corners and their
    // screen positions, in outline order), each lit in eye space by
    // lightCornerLikeReference, and interpolates perspective-correctly from
    // then on when rules.perspective is set.
    void light(const Scene& scene, const Material& material, const std::vector<ClipVertex>& corners,
               const std::vector<Vertex>& screen, const ReferenceRules& rules);

    // The colour at screen position (x, y), normally a pixel centre, from
    // the fan triangle holding it; a point outside every triangle takes the
    // triangle it lies least far outside of (weights extrapolated). A face
    // with fewer than three corners or no triangle of any area has its
    // first corner's colour everywhere. Red, green and blue are sampleAt's;
    // alpha is 1, as the pictures store it, and is not mixed.
    Color colourAt(double x, double y) const;

    // How colourAt finds the colour: the fan triangle (corner indices; all 0
    // when the first corner's colour is taken), its barycentric weights in
    // screen space and the weights the colour mixes with (those divided by
    // each corner's w and scaled to sum to 1 when perspective-correct, the
    // same otherwise).
    struct Sample {
        int triangle[3] = {0, 0, 0};
        double screenWeights[3] = {1.0, 0.0, 0.0};
        double weights[3] = {1.0, 0.0, 0.0};
        Color colour;
    };
    Sample sampleAt(double x, double y) const;

    struct Corner {
        double x;
        double y;
        Color colour;
        double w;
        Vec3 eyePosition;  // where light() lit the corner, and its scene normal
        Vec3 sceneNormal;
        // colour's red, green and blue, widened once for every pixel's mix
        double red, green, blue;
    };
    const std::vector<Corner>& corners() const { return corners_; }

  private:
    // A fan triangle of non-zero area: its sides from the first corner (a)
    // and its doubled signed area, which every pixel's barycentric weights
    // take, so they are worked out once, as each corner comes.
    struct FanTriangle {
        std::size_t b;  // its second corner; the third is the next one
        double bx, by;  // b - a
        double cx, cy;  // c - a
        double area;    // bx cy - cx by
    };
    // The fan triangle a point takes (its second corner; 0 for the first
    // corner's colour) and its weights, screen and mixing, left as they are
    // for 0.
    std::size_t weightsAt(double x, double y, double screenWeights[3], double weights[3]) const;

    std::vector<Corner> corners_;
    std::vector<FanTriangle> triangles_;  // in fan order
    bool perspective_ = false;
};
