#pragma once

#include "vec.h"

// 4 x 4 matrix of doubles, row-major (element (i, j) is m[4 * i + j]),
// applied to column vectors. Every transform-building operation
// post-multiplies: this := this * Op.
struct Matrix4 {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double& at(int row, int column) { return m[4 * row + column]; }
    double at(int row, int column) const { return m[4 * row + column]; }

    // this * other.
    Matrix4 multiply(const Matrix4& other) const;
    // this * v; sums in double, each component rounded to float once.
    Vec4 transform(const Vec4& v) const;

    void rotateX(float angleDegrees);
    void rotateZ(float angleDegrees);
    void translate(float x, float y, float z);
    void perspective(float xExtent, float yExtent, float zNear, float zFar);

    // Writes the inverse into destination and returns 1, or returns 0 and
    // leaves destination untouched when a pivot is exactly zero.
    int invert(Matrix4& destination) const;
};

// Degrees to radians with five-digit pi (3.14159 / 180); rotations by an
// angle in degrees convert it with this factor.
constexpr double kDegreesToRadians = 0.01745327777777778;
