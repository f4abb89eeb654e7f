#pragma once

// Positions travel as four floats, normals and light positions as three.
struct Vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Dot product of the x, y and z components (any w is ignored). Each product
// is formed in float, widened to double, summed as z + y + x and rounded to
// float once.
template <typename A, typename B>
inline float dot3(const A& a, const B& b) {
    const float zz = a.z * b.z;
    const float yy = a.y * b.y;
    const float xx = a.x * b.x;
    return static_cast<float>(static_cast<double>(zz) + static_cast<double>(yy) +
                              static_cast<double>(xx));
}
