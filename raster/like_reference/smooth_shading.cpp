#include "raster/like_reference/smooth_shading.h"

#include <algorithm>
#include <cstddef>

#include "raster/like_reference/reference_lighting.h"

void SmoothFace::addCorner(float x, float y, const Color& colour, float w) {
    corners_.push_back(Corner{x, y, colour, w, Vec3{}, Vec3{}});
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

SmoothFace::Sample SmoothFace::sampleAt(double x, double y) const {
    Sample sample;
    if (corners_.empty()) return sample;
    const Corner& a = corners_[0];
    double best = -1e300;
    double weights[3] = {1.0, 0.0, 0.0};
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
            weights[0] = wa;
            weights[1] = wb;
            weights[2] = wc;
            bestTriangle = t.b;
        }
        if (least >= 0.0) break;
    }
    if (bestTriangle == 0) {
        sample.colour = a.colour;
        return sample;
    }
    const Corner& b = corners_[bestTriangle];
    const Corner& c = corners_[bestTriangle + 1];
    sample.triangle[1] = static_cast<int>(bestTriangle);
    sample.triangle[2] = static_cast<int>(bestTriangle + 1);
    for (int i = 0; i < 3; ++i) sample.screenWeights[i] = weights[i];
    if (perspective_) {
        const double qa = weights[0] / a.w;
        const double qb = weights[1] / b.w;
        const double qc = weights[2] / c.w;
        const double sum = qa + qb + qc;
        weights[0] = qa / sum;
        weights[1] = qb / sum;
        weights[2] = qc / sum;
    }
    for (int i = 0; i < 3; ++i) sample.weights[i] = weights[i];
    const Color& cb = b.colour;
    const Color& cc = c.colour;
    auto mix = [&](float ca, float b, float c) {
        return static_cast<float>(weights[0] * ca + weights[1] * b + weights[2] * c);
    };
    sample.colour = Color(mix(a.colour.r, cb.r, cc.r), mix(a.colour.g, cb.g, cc.g),
                          mix(a.colour.b, cb.b, cc.b), mix(a.colour.a, cb.a, cc.a));
    return sample;
}
