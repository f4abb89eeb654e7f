#include "raster/fast/lighting_lanes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

template <typename Lanes, typename T>
void fill(Lanes& lanes, T value) {
    std::fill(std::begin(lanes.v), std::end(lanes.v), value);
}

FloatLanes repeated(float value) {
    FloatLanes lanes;
    fill(lanes, value);
    return lanes;
}

}  // namespace

// z = fl32(fl64(fl64(m10 depth) + m11)). Every real strictly between the
// midpoints from z to its two neighbouring floats rounds to z. Those
// midpoints are doubles, so a double sum that stays clear of them by more
// than its own rounding rounds to z as well. The depth's part is kept to
// half the distance from m11 to the nearer midpoint, which leaves room for
// the rounding of the product and of the bound.
ConstantUnprojectedZ constantUnprojectedZ(double m10, double m11) {
    ConstantUnprojectedZ c;
    if (!std::isfinite(m10) || !std::isfinite(m11) || m11 == 0.0) return c;
    const float z = static_cast<float>(m11);
    const float below = std::nextafter(z, -HUGE_VALF), above = std::nextafter(z, HUGE_VALF);
    if (!std::isnormal(z) || !std::isnormal(below) || !std::isnormal(above)) return c;
    const double low = (static_cast<double>(below) + static_cast<double>(z)) / 2.0;
    const double high = (static_cast<double>(above) + static_cast<double>(z)) / 2.0;
    const double margin = std::min(m11 - low, high - m11);  // exact: Sterbenz
    if (!(margin > 0.0)) return c;  // m11 on a midpoint: its rounding is a tie
    c.holds = true;
    c.z = z;
    if (m10 == 0.0) {
        c.depthBound = FLT_MAX;  // any finite depth; an infinite one gives 0 times infinity
        return c;
    }
    const double bound = margin / 2.0 / std::fabs(m10);
    float f = bound < static_cast<double>(FLT_MAX) ? static_cast<float>(bound) : FLT_MAX;
    if (static_cast<double>(f) > bound) f = std::nextafter(f, 0.0f);
    c.depthBound = f;
    return c;
}

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
    for (std::size_t i = 0; i < kDoubles; ++i) fill(doubles_[i], values[i]);

    const ConstantUnprojectedZ z = constantUnprojectedZ(pi[10], pi[11]);
    constantZ_ = z.holds;
    fill(constantZDepth_, z.depthBound);
    for (int i = 0; i < 4; ++i) fill(viewRowZ_[i], vi[4 * i + 2] * static_cast<double>(z.z));
}
