#include "raster/fast/lighting_lanes.h"

#include <algorithm>

namespace {

FloatLanes repeated(float value) {
    FloatLanes lanes;
    std::fill(std::begin(lanes.v), std::end(lanes.v), value);
    return lanes;
}

}  // namespace

void LightingLanes::build(const LightingConstants& shading) {
    lightCount_ = shading.lights.size();
    floats_.clear();
    floats_.reserve(kFirstLight + kPerLight * lightCount_ +
                    kPerMaterial * shading.materials.size());
    for (float v : {shading.eye.x, shading.eye.y, shading.eye.z}) floats_.push_back(repeated(v));
    for (const Light& light : shading.lights) {
        for (float v : {light.position.x, light.position.y, light.position.z, light.color.r,
                        light.color.g, light.color.b})
            floats_.push_back(repeated(v));
    }
    exponents_.clear();
    for (const MaterialShading& m : shading.materials) {
        for (const Color* c : {&m.diffuse, &m.specular, &m.ambient}) {
            for (float v : {c->r, c->g, c->b}) floats_.push_back(repeated(v));
        }
        exponents_.push_back(m.shininess);
    }
    const double* pi = shading.inverseProjection.m;
    const double* vi = shading.inverseView.m;
    const double values[kDoubles] = {pi[10], pi[11], pi[14],    pi[15],    vi[2],      vi[3],
                                     vi[6],  vi[7],  vi[8 + 2], vi[8 + 3], vi[12 + 2], vi[12 + 3]};
    for (std::size_t i = 0; i < kDoubles; ++i)
        std::fill(std::begin(doubles_[i].v), std::end(doubles_[i].v), values[i]);
}
