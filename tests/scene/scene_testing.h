#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "matrix_testing.h"
#include "scene/scene.h"

inline void expectSameVec4(const Vec4& v, float x, float y, float z, float w) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
    EXPECT_EQ(v.w, w);
}

inline void expectSameVec3(const Vec3& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

inline void expectSameColor(const Color& c, float r, float g, float b, float a) {
    EXPECT_EQ(c.r, r);
    EXPECT_EQ(c.g, g);
    EXPECT_EQ(c.b, b);
    EXPECT_EQ(c.a, a);
}

inline bool sameStackBits(const TransformStack& a, const TransformStack& b) {
    if (!sameBits(a.matrix, b.matrix) || !sameBits(a.inverse, b.inverse)) return false;
    if (a.saved.size() != b.saved.size()) return false;
    for (size_t k = 0; k < a.saved.size(); ++k) {
        if (!sameBits(a.saved[k], b.saved[k])) return false;
    }
    return true;
}

struct RecomputedCorner {
    Vec4 position;  // before any model transform
    Vec3 normal;
};

// One sphere corner recomputed from the tessellation formulas with every
// float and double step written out: corner 0..3 of face (strip, step) is
// S(a0,b0), S(a1,b0), S(a1,b1), S(a0,b1).
inline RecomputedCorner recomputeCorner(double radius, int subdivisions, int strip, int step,
                                        int corner) {
    const double q = 1.570795, k = 1.0 / subdivisions;
    const int i = strip + (corner == 1 || corner == 2 ? 1 : 0);
    const int j = step + (corner >= 2 ? 1 : 0);
    const float a = static_cast<float>(q * i * k);
    const float b = static_cast<float>(q * j * k);
    const float cosA = static_cast<float>(std::cos(static_cast<double>(a)));
    const float sinA = static_cast<float>(std::sin(static_cast<double>(a)));
    const float cosB = static_cast<float>(std::cos(static_cast<double>(b)));
    const float sinB = static_cast<float>(std::sin(static_cast<double>(b)));
    const float dx = sinB * cosA;
    const float dy = sinB * sinA;
    const float dz = cosB;
    RecomputedCorner r;
    r.position = Vec4{static_cast<float>(static_cast<double>(dx) * radius),
                      static_cast<float>(static_cast<double>(dy) * radius),
                      static_cast<float>(static_cast<double>(dz) * radius), 1.0f};
    const float squares = dx * dx + dy * dy + dz * dz;
    const float reciprocal = 1.0f / std::sqrt(squares);
    r.normal = Vec3{dx * reciprocal, dy * reciprocal, dz * reciprocal};
    return r;
}
