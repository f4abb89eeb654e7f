// The frame's lighting constants (lightingConstants) each repeated over a
// whole vector, for the fast lighting (shade_pixel_fast-inl.h) to read from
// memory in place of broadcasting them again for every vector of pixels: the
// arithmetic then takes them as operands as they are, and fewer registers go
// to holding them. Built once a frame, kept from frame to frame.
#pragma once

#include <cstddef>
#include <vector>

#include "raster/plain/lighting_constants.h"

// One value repeated over a vector of floats, or over half a vector of
// doubles (the half the lighting loads for both halves), of every SIMD
// target up to the widest, 64 bytes.
struct alignas(64) FloatLanes {
    float v[64 / sizeof(float)];
};
struct alignas(64) DoubleLanes {
    double v[64 / sizeof(double)];
};

class LightingLanes {
  public:
    // Per light: its position (x, y, z), then its colour (r, g, b).
    static constexpr std::size_t kPerLight = 6;
    // Per material: its diffuse, specular and ambient colours (r, g, b each).
    static constexpr std::size_t kPerMaterial = 9;
    static constexpr std::size_t kSpecular = 3, kAmbient = 6;

    // Replaces what it holds with `shading`'s constants.
    void build(const LightingConstants& shading);

    std::size_t lightCount() const { return lightCount_; }
    int shininess(std::size_t object) const { return exponents_[object]; }
    const FloatLanes& eye(int axis) const { return floats_[static_cast<std::size_t>(axis)]; }
    const FloatLanes* light(std::size_t i) const { return &floats_[kFirstLight + kPerLight * i]; }
    const FloatLanes* material(std::size_t object) const {
        return &floats_[kFirstLight + kPerLight * lightCount_ + kPerMaterial * object];
    }
    // Entries 10 and 11 of the inverse projection (k 0 and 1: the depth's
    // part of z), then 14 and 15 (k 2 and 3: of w).
    const DoubleLanes& projection(int k) const { return doubles_[k]; }
    // Entries 4 i + 2 and 4 i + 3 of the inverse view (k 0 and 1).
    const DoubleLanes& viewRow(int i, int k) const { return doubles_[4 + 2 * i + k]; }

    // Whether the unprojected z, entry 10 of the inverse projection times the
    // depth plus entry 11, rounds to the same float for every depth of at
    // most constantZDepth() in magnitude; then viewRowZ(i) is entry 4 i + 2
    // of the inverse view times that float, as the lighting would form it.
    bool constantZ() const { return constantZ_; }
    const FloatLanes& constantZDepth() const { return constantZDepth_; }
    const DoubleLanes& viewRowZ(int i) const { return viewRowZ_[i]; }

  private:
    static constexpr std::size_t kFirstLight = 3;  // after the eye
    static constexpr std::size_t kDoubles = 12;

    std::size_t lightCount_ = 0;
    std::vector<FloatLanes> floats_;
    std::vector<int> exponents_;
    DoubleLanes doubles_[kDoubles] = {};
    bool constantZ_ = false;
    FloatLanes constantZDepth_ = {};
    DoubleLanes viewRowZ_[4] = {};
};

// The float that m10 depth + m11 rounds to (sums in double, as the lighting
// forms them) and the largest depth magnitude for which it is that float
// whatever the depth; `holds` false where no such bound is known.
struct ConstantUnprojectedZ {
    bool holds = false;
    float z = 0.0f;
    float depthBound = 0.0f;
};
ConstantUnprojectedZ constantUnprojectedZ(double m10, double m11);
