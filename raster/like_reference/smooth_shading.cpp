#include "raster/like_reference/smooth_shading.h"

#include <algorithm>
#include <cstddef>

#include "raster/like_reference/reference_lighting.h"

void SmoothFace::addCorner(float x, float y, const Color& colour, float w) {
    corners_.push_back(Corner{x, y, colour, w, Vec3{}, Vec3{}, colour.r, colour.g, colour.b});
    if (corners_.size() < 3) return;
    const std::size_t t = corners_.size() - 2;
    const Corner& a = corners_[0];
    const Corner& b = corners_[t];
    const Corner& c = corners_[t + 1];
    FanTriangle triangle{t, b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y, 0.0};
    triangle.area = triangle.bx * triangle.cy - triangle.cx * triangle.by;
    // A triangle of no area (or none that is a number) holds no point.
    if (triangle.area == 0.0 || !(triangle.area == triangle.area)) return;
    triangles_.push_back(triangle);
}

void SmoothFace::light(const Scene& scene, const Material& material,
                       const std::vector<ClipVertex>& corners, const std::vector<Vertex>& screen,
                       const ReferenceRules& rules) {
    clear();
    perspective_ = rules.perspective;
    const Matrix4& inverseProjection = scene.projectionTransform.inverse;
    for (std::size_t i = 0; i < corners.size() && i < screen.size(); ++i) {
        // Back from clip space to eye space, where fixed-function lighting
        // works; a corner the clipping made lies on the polygon's side.
        const Vec4 e = inverseProjection.transform(corners[i].position);
        const Vec3 eye{e.x / e.w, e.y / e.w, e.z / e.w};
        addCorner(screen[i].position.x, screen[i].position.y,
                  lightCornerLikeReference(scene, material, eye, corners[i].normal, rules),
                  corners[i].position.w);
        corners_.back().eyePosition = eye;
        corners_.back().sceneNormal = corners[i].normal;
    }
}

namespace {

float mixed(const double weights[3], double a, double b, double c) {
    return static_cast<float>(weights[0] * a + weights[1] * b + weights[2] * c);
}

}  // namespace

// Forced in line in both callers, so that colourAt, called for every pixel
// a smooth face fills, keeps no record of the screen weights it does not mix
// with.
[[gnu::always_inline]] inline std::size_t SmoothFace::weightsAt(double x, double y,
                                                                double screenWeights[3],
                                                                double weights[3]) const {
    if (corners_.empty()) return 0;
    const Corner& a = corners_[0];
    double best = -1e300;
    double found[3] = {1.0, 0.0, 0.0};
    std::size_t bestTriangle = 0;
    const double px = x - a.x;
    const double py = y - a.y;
    for (const FanTriangle& t : triangles_) {
        const double wb = (px * t.cy - t.cx * py) / t.area;
        const double wc = (t.bx * py - px * t.by) / t.area;
        const double wa = 1.0 - wb - wc;
        const double least = std::min({wa, wb, wc});
        if (least > best) {
            best = least;
            found[0] = wa;
            found[1] = wb;
            found[2] = wc;
            bestTriangle = t.b;
        }
        if (least >= 0.0) break;
    }
    if (bestTriangle == 0) return 0;
    for (int i = 0; i < 3; ++i) screenWeights[i] = found[i];
    if (perspective_) {
        const double qa = found[0] / a.w;
        const double qb = found[1] / corners_[bestTriangle].w;
        const double qc = found[2] / corners_[bestTriangle + 1].w;
        const double sum = qa + qb + qc;
        found[0] = qa / sum;
        found[1] = qb / sum;
        found[2] = qc / sum;
    }
    for (int i = 0; i < 3; ++i) weights[i] = found[i];
    return bestTriangle;
}

SmoothFace::Sample SmoothFace::sampleAt(double x, double y) const {
    Sample sample;
    const std::size_t t = weightsAt(x, y, sample.screenWeights, sample.weights);
    if (corners_.empty()) return sample;
    const Corner& a = corners_[0];
    if (t == 0) {
        sample.colour = a.colour;
        return sample;
    }
    const Corner& b = corners_[t];
    const Corner& c = corners_[t + 1];
    sample.triangle[1] = static_cast<int>(t);
    sample.triangle[2] = static_cast<int>(t + 1);
    const double* w = sample.weights;
    sample.colour =
        Color(mixed(w, a.red, b.red, c.red), mixed(w, a.green, b.green, c.green),
              mixed(w, a.blue, b.blue, c.blue), mixed(w, a.colour.a, b.colour.a, c.colour.a));
    return sample;
}

Color SmoothFace::colourAt(double x, double y) const {
    double screenWeights[3];
    double w[3];
    const std::size_t t = weightsAt(x, y, screenWeights, w);
    if (corners_.empty()) return Color();
    const Corner& a = corners_[0];
    if (t == 0) return Color(a.colour.r, a.colour.g, a.colour.b, 1.0f);
    const Corner& b = corners_[t];
    const Corner& c = corners_[t + 1];
    return Color(mixed(w, a.red, b.red, c.red), mixed(w, a.green, b.green, c.green),
                 mixed(w, a.blue, b.blue, c.blue), 1.0f);
}
